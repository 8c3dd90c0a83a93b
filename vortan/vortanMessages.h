/* The option bits that decide which findings of the checks are printed,
 * and the functions that print them on standard error. */
#ifndef VORTAN_MESSAGES_H
#define VORTAN_MESSAGES_H

#ifdef __cplusplus
extern "C" {
#endif

/* The bits of vortanUserOptions. Some findings are printed whatever the
   bits say, and a well-formedness failure stops the parse whatever bit 2
   says. */
enum vortanOption {
  vortanOptionValidity = 1,       /* validity warnings */
  vortanOptionWellFormedness = 2, /* well-formedness failures */
  vortanOptionParseErrors = 4     /* the parser's syntax errors */
};

/* 0 at start. */
extern int vortanUserOptions;

/* "Validity Warning: text\n", always. */
void vortanvalidityWarning(const char *text);
/* "text\n" (through vortanfatalError) when bit 2 is set. */
void vortanwellFormedConstraintFailure(const char *text);
/* "Compatibility Error: text\n", always. */
void vortancompatibilityError(const char *text);

#ifdef __cplusplus
}
#endif

#endif

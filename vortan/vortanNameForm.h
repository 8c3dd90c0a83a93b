/* Names and name tokens of 8-bit (ISO 8859-1) text: the character classes
 * that the scanner, the parser and the checks share. */
#ifndef VORTAN_NAME_FORM_H
#define VORTAN_NAME_FORM_H

#ifdef __cplusplus
extern "C" {
#endif

/* ':', 'A'-'Z', '_', 'a'-'z' and the letters 0xC0-0xFF but 0xD7 and 0xF7. */
static inline int vortanisNameStartChar(unsigned char c)
{
  return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

/* A name start character, '-', '.', a digit or 0xB7. */
static inline int vortanisNameChar(unsigned char c)
{
  return vortanisNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7;
}

/* 1 when text is a Name: a name start character, then name characters.
   0 otherwise, and for null. */
int vortannameForm(const char *text);
/* 1 when text is a non-empty run of name characters; 0 otherwise, for ""
   and for null. */
int vortanNmTokenForm(const char *text);

#ifdef __cplusplus
}
#endif

#endif

/* The toolkit's error reports. Neither stops the program: the caller goes on
 * with its documented failure result. */
#ifndef VORTAN_ERRORS_H
#define VORTAN_ERRORS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Writes ":file:line: message\n" on standard error. Misuse of a function
   (a null record or one of the wrong kind) reports an empty message, a
   failed allocation "Out of Memory". */
void vortaninternalError(const char *message, const char *file, int line);

/* Writes "message\n" on standard error. */
void vortanfatalError(const char *message);

#ifdef __cplusplus
}
#endif

#endif

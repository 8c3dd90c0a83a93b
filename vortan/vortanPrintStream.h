/* The PrintStream (tag 58): formats text into the output stream it wraps,
 * which may be another PrintStream. It is also an output stream: the
 * generic output operations take it.
 *
 * The print operations return nothing; on a null or wrong record they set
 * errno to EINVAL and write nothing. The forwarding operations return what
 * the wrapped stream's generic operation returns (EOS 1 and error number 22
 * for a wrong record). */
#ifndef VORTAN_PRINT_STREAM_H
#define VORTAN_PRINT_STREAM_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Null with EINVAL when out is no output stream, with ENOMEM when memory
   runs out. */
vortanPRINTSTREAM *vortannewPrintStream(vortanOUTPUTSTREAM *out);
/* Deletes the wrapped stream record too; nothing is closed or flushed. */
void vortandeletePrintStream(vortanPRINTSTREAM *stream);
int vortanisPrintStream(const void *record);

void vortanprintPrintStreamChar(vortanPRINTSTREAM *stream, char c);
void vortanprintPrintStreamString(vortanPRINTSTREAM *stream, const char *text);
/* "%f": six digits after the point, never an exponent. */
void vortanprintPrintStreamDouble(vortanPRINTSTREAM *stream, double d);
void vortanprintPrintStreamFloat(vortanPRINTSTREAM *stream, float f);
void vortanprintPrintStreamInt(vortanPRINTSTREAM *stream, int i);
void vortanprintPrintStreamUnsignedInt(vortanPRINTSTREAM *stream, unsigned u);
void vortanprintPrintStreamLong(vortanPRINTSTREAM *stream, long l);
/* A line feed. */
void vortanprintPrintStreamLn(vortanPRINTSTREAM *stream);

int vortangetPrintStreamEOS(const vortanPRINTSTREAM *stream);
int vortanflushPrintStream(vortanPRINTSTREAM *stream);
int vortanwritePrintStreamChar(vortanPRINTSTREAM *stream, int c);
int vortanwritePrintStream(vortanPRINTSTREAM *stream, const void *buffer, int count);
int vortanclosePrintStream(vortanPRINTSTREAM *stream);
int vortangetPrintStreamError(const vortanPRINTSTREAM *stream);
const char *vortangetPrintStreamErrorString(const vortanPRINTSTREAM *stream);

#ifdef __cplusplus
}
#endif

#endif

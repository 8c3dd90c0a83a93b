// Text splitting and the date stamp of written file headers.
#ifndef TESSEL_TEXTUTIL_H
#define TESSEL_TEXTUTIL_H

// strsep (BSD semantics: adjacent delimiters give empty tokens, the last
// token leaves the cursor null) is the C library's own, declared here.
#include <string.h>

// Fills the buffer, of at least 16 characters, with today's local date as
// "%Y/%m/%d" and returns it.
char* get_current_time(char* buffer);

#endif

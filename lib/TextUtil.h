// Text splitting and the date stamp of written file headers.
#ifndef TESSEL_TEXTUTIL_H
#define TESSEL_TEXTUTIL_H

// strsep (BSD semantics: adjacent delimiters give empty tokens, the last
// token leaves the cursor null) is the C library's own, declared here.
#include <string.h>

// Orders C strings by content (strcmp), for maps keyed by names.
struct less_string
{
  bool operator()(const char* a, const char* b) const { return strcmp(a, b) < 0; }
};

// Fills the buffer, of at least 16 characters, with today's local date as
// "%Y/%m/%d" and returns it.
char* get_current_time(char* buffer);

#endif

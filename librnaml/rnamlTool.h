/* Inside the binding: the unmarshaller and the marshaller, the two records
 * of the binding that are no element. Each is the header and its option
 * flags; the generic clone, delete and equality reach them here. */
#ifndef RNAML_TOOL_H
#define RNAML_TOOL_H

#include <stdint.h>

#include "rnamlObject.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rnamlToolRecord {
  rnamlOBJECT header;
  int32_t validating; /* non-zero: validate each document */
  int32_t formatted;  /* the marshaller's: non-zero writes indented text */
} rnamlToolRecord;

#define RNAML_TOOL(record) ((rnamlToolRecord *)(record))

/* 1 for an unmarshaller or a marshaller. */
int rnamlisTool(const void *p);
/* A tool record of code with both flags 0; null after printing
   ":source:line: Out of memory". */
rnamlOBJECT *rnamlnewTool(int32_t code, const char *source, int line);
/* A new tool of the same kind (through its own constructor) with a copy of
   the header and the same flags; null when memory ran out. */
rnamlOBJECT *rnamlcloneTool(const rnamlOBJECT *tool);
void rnamldeleteTool(rnamlOBJECT *tool);
/* Two tools of one kind with equal headers and flags. */
int rnamlequalTools(const rnamlOBJECT *a, const rnamlOBJECT *b);

#ifdef __cplusplus
}
#endif

#endif

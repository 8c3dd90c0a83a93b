#include "rnamlTool.h"

#include <stdlib.h>
#include <string.h>

#include "rnamlElements.h"
#include "rnamlMarshaller.h"
#include "rnamlRecord.h"
#include "rnamlUnmarshaller.h"
#include "vortanAllocator.h"

int rnamlisTool(const void *p)
{
  return rnamlisUnmarshaller(p) || rnamlisMarshaller(p);
}

rnamlOBJECT *rnamlnewTool(int32_t code, const char *source, int line)
{
  rnamlToolRecord *tool = vortanAllocator(sizeof *tool);
  if (tool) {
    memset(tool, 0, sizeof *tool);
    tool->header.code = code;
    if (rnamlinitObject(&tool->header)) return &tool->header;
    free(tool);
  }
  vortaninternalError(RNAML_NO_MEMORY, source, line);
  return NULL;
}

rnamlOBJECT *rnamlcloneTool(const rnamlOBJECT *tool)
{
  rnamlOBJECT *copy = rnamlisUnmarshaller(tool) ? rnamlnewUnmarshaller() : rnamlnewMarshaller();
  if (copy && rnamlassignObject(copy, tool) < 0) {
    rnamldeleteTool(copy);
    return NULL;
  }
  if (copy) {
    RNAML_TOOL(copy)->validating = RNAML_TOOL(tool)->validating;
    RNAML_TOOL(copy)->formatted = RNAML_TOOL(tool)->formatted;
  }
  return copy;
}

void rnamldeleteTool(rnamlOBJECT *tool)
{
  rnamldeleteObject(tool);
  free(tool);
}

int rnamlequalTools(const rnamlOBJECT *a, const rnamlOBJECT *b)
{
  return a->code == b->code && rnamlequalsObject(a, b) &&
         RNAML_TOOL(a)->validating == RNAML_TOOL(b)->validating &&
         RNAML_TOOL(a)->formatted == RNAML_TOOL(b)->formatted;
}

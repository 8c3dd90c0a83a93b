#include "rnamlUnmarshaller.h"

#include <errno.h>

#include "rnamlDTD.h"
#include "rnamlElements.h"
#include "rnamlHandlers.h"
#include "rnamlTool.h"
#include "vortanInputStream.h"
#include "vortanMessages.h"
#include "vortanObject.h"
#include "vortanParser.h"
#include "vortanScanner.h"
#include "vortanValidatingParse.h"

rnamlOBJECT *rnamlnewUnmarshaller(void)
{
  /* The place named in the report is a fixed one. */
  rnamlOBJECT *unmarshaller = rnamlnewTool(rnamlCodeUnmarshaller, "unmarshaller", 60);
  if (!unmarshaller) return NULL;
  vortanUserOptions |= vortanOptionValidity | vortanOptionWellFormedness;
  rnamlinit();
  return unmarshaller;
}

rnamlOBJECT *rnamlcloneUnmarshaller(const rnamlOBJECT *unmarshaller)
{
  return rnamlisUnmarshaller(unmarshaller) ? rnamlcloneTool(unmarshaller) : NULL;
}

void rnamldeleteUnmarshaller(rnamlOBJECT *unmarshaller)
{
  if (rnamlisUnmarshaller(unmarshaller)) rnamldeleteTool(unmarshaller);
}

int rnamlequalsUnmarshaller(const rnamlOBJECT *a, const rnamlOBJECT *b)
{
  return a == b || (rnamlisUnmarshaller(a) && rnamlisUnmarshaller(b) && rnamlequalTools(a, b));
}

void rnamlsetUnmarshallerValidating(rnamlOBJECT *unmarshaller, int validating)
{
  if (rnamlisUnmarshaller(unmarshaller)) RNAML_TOOL(unmarshaller)->validating = validating;
}

static void unreadable(const vortanINPUTSTREAM *stream)
{
  char reason[160];
  snprintf(reason, sizeof reason, "the input could not be read: %s",
           vortangetInputStreamErrorString(stream));
  rnamlfailReading(reason);
}

rnamlOBJECT *rnamlunmarshallUnmarshallerStream(const rnamlOBJECT *unmarshaller,
                                               vortanINPUTSTREAM *stream)
{
  if (!rnamlisUnmarshaller(unmarshaller) || !vortanisInputStream(stream)) {
    errno = EINVAL;
    return NULL;
  }
  int saved = errno;
  rnamlbeginReading();
  vortanin = stream;
  rnamlSetHandlers();
  /* Validated as it is read, the document's parse tree is never whole in
     memory beside the records. */
  int validating = RNAML_TOOL(unmarshaller)->validating != 0;
  int wasValidating = vortangetValidatingParse();
  vortansetValidatingParse(validating);
  vortanparse();
  vortansetValidatingParse(wasValidating);
  vortanin = NULL;
  vortanDOCUMENT *document = vortanast;
  vortanast = NULL;
  rnamlOBJECT *root = rnamlendReading(document != NULL);
  /* A stream that failed, a gzip file cut short among them, gave what it
     read as a document cut short: its own reason is the one to give. */
  if (!root && vortangetInputStreamError(stream)) unreadable(stream);
  /* A document read to its end was validated to its end, whether or not
     its records could be built: its findings are its own. */
  if (validating) vortanreleaseParseFindings(document != NULL);
  vortandelete(document);
  errno = saved;
  return root;
}

rnamlOBJECT *rnamlunmarshallUnmarshaller(const rnamlOBJECT *unmarshaller, FILE *file)
{
  if (!rnamlisUnmarshaller(unmarshaller) || !file) {
    errno = EINVAL;
    return NULL;
  }
  vortanINPUTSTREAM *stream = vortannewFileInputStreamFILE(file);
  if (!stream) {
    rnamlfailReading("out of memory");
    return NULL;
  }
  rnamlOBJECT *root = rnamlunmarshallUnmarshallerStream(unmarshaller, stream);
  vortandeleteFileInputStream(stream);
  return root;
}

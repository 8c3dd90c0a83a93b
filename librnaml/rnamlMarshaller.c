#include "rnamlMarshaller.h"

#include <errno.h>

#include "rnamlDTD.h"
#include "rnamlElements.h"
#include "rnamlTool.h"
#include "vortanList.h"
#include "vortanObject.h"
#include "vortanOutputStream.h"
#include "vortanPrint.h"
#include "vortanPrintStream.h"
#include "vortanRecord.h"
#include "vortanRecords.h"
#include "vortanValidator.h"

const char rnamlSystemIdentifier[] = "rnaml.dtd";

static const char source[] = "marshaller";

/* The DOCTYPE, with the empty List of what follows it, as the Pair a
   Prolog takes. */
static vortanPAIR *documentType(void)
{
  vortanSTRING *system = vortancopyString(rnamlSystemIdentifier);
  vortanSYSTEMEXTERNALID *literal = system ? vortannewSystemExternalID(system) : NULL;
  if (!literal) vortandelete(system);
  vortanEXTERNALID *identifier = literal ? vortannewExternalID(literal, NULL) : NULL;
  if (!identifier) vortandelete(literal);
  vortanSTRING *name = vortancopyString("rnaml");
  vortanLIST *declarations = vortannewList();
  vortanDOCTYPEDECL *doctype = NULL;
  if (name && identifier && declarations)
    doctype = vortannewDocTypeDecl(name, identifier, declarations);
  if (!doctype) {
    vortandelete(name);
    vortandelete(identifier);
    vortandelete(declarations);
  }
  vortanLIST *after = vortannewList();
  vortanPAIR *tail = doctype && after ? vortannewPair(doctype, after) : NULL;
  if (!tail) {
    vortandelete(doctype);
    vortandelete(after);
  }
  return tail;
}

vortanPROLOG *rnamlbuildProlog(void)
{
  vortanXMLDECL *declaration = vortanbuildXMLDecl();
  vortanLIST *before = vortannewList();
  vortanPAIR *tail = documentType();
  vortanPROLOG *prolog =
    declaration && before && tail ? vortannewProlog(declaration, before, tail) : NULL;
  if (!prolog) {
    vortandelete(declaration);
    vortandelete(before);
    vortandelete(tail);
  }
  return prolog;
}

vortanDOCUMENT *rnamltoXMLDocument(const rnamlOBJECT *root)
{
  if (!rnamlisRnaml(root)) return NULL;
  vortanPROLOG *prolog = rnamlbuildProlog();
  vortanELEMENT *element = prolog ? rnamltoXMLRnaml(root) : NULL;
  vortanLIST *misc = prolog ? vortannewList() : NULL;
  vortanDOCUMENT *document = misc ? vortannewDocument(prolog, element, misc) : NULL;
  if (!document) {
    vortandelete(prolog);
    vortandelete(element);
    vortandelete(misc);
  }
  return document;
}

/* --- the marshaller ------------------------------------------------------ */

rnamlOBJECT *rnamlnewMarshaller(void)
{
  rnamlOBJECT *marshaller = rnamlnewTool(rnamlCodeMarshaller, source, __LINE__);
  if (marshaller) rnamlinit();
  return marshaller;
}

rnamlOBJECT *rnamlcloneMarshaller(const rnamlOBJECT *marshaller)
{
  return rnamlisMarshaller(marshaller) ? rnamlcloneTool(marshaller) : NULL;
}

void rnamldeleteMarshaller(rnamlOBJECT *marshaller)
{
  if (rnamlisMarshaller(marshaller)) rnamldeleteTool(marshaller);
}

int rnamlequalsMarshaller(const rnamlOBJECT *a, const rnamlOBJECT *b)
{
  return a == b || (rnamlisMarshaller(a) && rnamlisMarshaller(b) && rnamlequalTools(a, b));
}

void rnamlsetMarshallerValidating(rnamlOBJECT *marshaller, int validating)
{
  if (rnamlisMarshaller(marshaller)) RNAML_TOOL(marshaller)->validating = validating;
}

void rnamlsetMarshallerFormatted(rnamlOBJECT *marshaller, int formatted)
{
  if (rnamlisMarshaller(marshaller)) RNAML_TOOL(marshaller)->formatted = formatted;
}

void rnamlmarshallMarshallerStream(const rnamlOBJECT *marshaller, const rnamlOBJECT *root,
                                   vortanPRINTSTREAM *stream)
{
  if (!rnamlisMarshaller(marshaller) || !rnamlisRnaml(root) || !vortanisPrintStream(stream)) {
    errno = EINVAL;
    return;
  }
  vortanDOCUMENT *document = rnamltoXMLDocument(root);
  if (!document || !vortangetDocumentElement(document)) {
    /* A prolog alone is no document: nothing is written. */
    errno = document ? EINVAL : ENOMEM;
    vortandelete(document);
    return;
  }
  if (RNAML_TOOL(marshaller)->validating) vortanvalidate(document);
  if (RNAML_TOOL(marshaller)->formatted) vortanprettyPrintObject(stream, document);
  else vortanprintObject(stream, document);
  vortandelete(document);
}

void rnamlmarshallMarshaller(const rnamlOBJECT *marshaller, const rnamlOBJECT *root, FILE *file)
{
  if (!rnamlisMarshaller(marshaller) || !rnamlisRnaml(root) || !file) {
    errno = EINVAL;
    return;
  }
  vortanOUTPUTSTREAM *out = vortannewFileOutputStreamFILE(file);
  vortanPRINTSTREAM *print = out ? vortannewPrintStream(out) : NULL;
  if (!print && out) vortandeleteFileOutputStream(out);
  /* Without a print stream this only sets EINVAL. */
  rnamlmarshallMarshallerStream(marshaller, root, print);
  if (print) vortandeletePrintStream(print);
}

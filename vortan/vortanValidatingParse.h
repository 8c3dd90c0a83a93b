/* Validation while a document is read, for callers that want the
 * document's events and findings but not its parse tree: a large document
 * then never stands whole in memory.
 *
 * In this mode vortanparse checks each element as the whole-document walk
 * of vortanvalidate would: its declaration, attributes, IDs and ID
 * references when its start tag is read, its content against its model
 * when its end tag is read; nothing inside an element that is not declared
 * is checked. Once an element's end tag is read (and its end handler
 * called) its children are freed: only the open elements and the children
 * of each are held, and white space between elements is given to the
 * handler without being kept. The root element type and the ID references
 * are checked as vortanvalidate does, at the first tag and at the end of
 * the document, against the validator structure registered for the root's
 * name and "version" attribute.
 *
 * The findings are held back and come out in the order and the texts
 * vortanvalidate would give on the whole document: the caller writes or
 * drops them once the parse is over. A parse that fails drops them, as no
 * Document could then be validated.
 *
 * The Document left in vortanast is what remains: the prolog, the root
 * element with its name and attributes and no content, and the items after
 * it. The messages of parsing itself (well-formedness, the DTD version
 * chosen) are written at once, as in any parse. */
#ifndef VORTAN_VALIDATING_PARSE_H
#define VORTAN_VALIDATING_PARSE_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Every following vortanparse validates as it reads while on is non-zero. */
void vortansetValidatingParse(int on);
int vortangetValidatingParse(void);
/* After a validating parse: writes the findings it holds on standard error
   when write is non-zero, else drops them. The next parse drops those not
   released. */
void vortanreleaseParseFindings(int write);

/* Inside the toolkit: the parser's calls. */
/* At the start of a parse. */
void vortanbeginValidatingParse(void);
/* The parse under way validates as it reads. */
int vortanvalidatingParseUnderWay(void);
/* The prolog has been read; it stays until the parse ends. */
void vortanvalidatingPrologRead(const vortanPROLOG *prolog);
/* An element's start tag has been read (its element is complete but for
   its content). 0; -1 when memory ran out (reported). */
int vortanvalidatingStartTag(const vortanELEMENT *element);
/* The element's end tag has been read and its handler called: its content
   is checked, then freed. */
void vortanvalidatingEndTag(vortanELEMENT *element);
/* At the end of the parse: the ID references are checked when the
   document was accepted, else the findings are dropped. */
void vortanendValidatingParse(int accepted);

#ifdef __cplusplus
}
#endif

#endif

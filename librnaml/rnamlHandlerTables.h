/* Inside the binding: the three tables that say how the unmarshaller's
 * content handlers build records from the elements of a document.
 *
 *   - record elements, start tag: the record made and pushed, and the
 *     attributes it takes;
 *   - record elements, end tag: the text the record takes itself, and by
 *     the kind of the record below it, the parent, how it is attached;
 *   - text elements, end tag: by the kind of the record they stand in, how
 *     their text becomes values of that record, or of a small record
 *     attached to it.
 * Within a row, parent kinds are tried in order and the first that
 * matches decides. An element whose name is in no table is ignored. */
#ifndef RNAML_HANDLER_TABLES_H
#define RNAML_HANDLER_TABLES_H

#include <stdint.h>

#include "rnamlObject.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* How a text (an attribute value, or the character data of an element)
   becomes values. Numbers are read from the start of the text after
   blanks; what follows a number is ignored, and a value that cannot be
   read (no digits, out of range) is not set. */
typedef enum rnamlConversion {
  rnamlNoValue,     /* nothing; ends a row's list of parent kinds */
  rnamlAsText,      /* the text as it stands */
  rnamlAsInteger,   /* a decimal integer */
  rnamlAsFloat,     /* a float */
  rnamlAsFloats,    /* blank-separated finite floats, one per setter, in
                       order, and nothing else: else none is stored */
  rnamlAsLeadingFloats, /* as sscanf's "%f %f": floats, one per setter, in
                           order, as far as they can be read; the rest of
                           the fields keep their defaults */
  rnamlAsCharacter, /* the first character that is not a blank */
  rnamlAsPages,     /* two integers joined by a comma, blanks allowed around it */
  rnamlAsTrue,      /* 1 when the text is exactly "true"; otherwise nothing */
  rnamlAsNumbers,   /* every integer of the text, split at blanks, LF and TAB,
                       appended to the List set[0].values gives */
  rnamlAsPcData     /* a PcData record of the text, handed to set[0].child */
} rnamlConversion;

typedef union rnamlSetter {
  void (*text)(rnamlOBJECT *record, const char *value);
  void (*integer)(rnamlOBJECT *record, int value);
  void (*real)(rnamlOBJECT *record, float value);
  void (*character)(rnamlOBJECT *record, char value);
  vortanLIST *(*values)(const rnamlOBJECT *record);
  int (*child)(rnamlOBJECT *record, rnamlOBJECT *child);
} rnamlSetter;

/* A conversion and where its values go. A text with held set goes to
   set[0] while held gives null, else to set[1]: the first free of two
   fields. */
typedef struct rnamlValueRule {
  rnamlConversion conversion;
  rnamlSetter set[3];
  const char *(*held)(const rnamlOBJECT *record);
} rnamlValueRule;

/* How a child record joins its parent: appended to the List that list
   gives (what the parent's adder does, in constant time), or handed to a
   child setter. With several setters the fields are filled first free:
   set[i] is used when held[i] gives null, the last one otherwise. */
typedef struct rnamlAttach {
  vortanLIST *(*list)(const rnamlOBJECT *parent);
  int (*set[3])(rnamlOBJECT *parent, rnamlOBJECT *child);
  rnamlOBJECT *(*held[2])(const rnamlOBJECT *parent);
} rnamlAttach;

typedef struct rnamlAttributeRule {
  const char *name; /* null ends the list */
  rnamlValueRule value;
} rnamlAttributeRule;

typedef struct rnamlStartRule {
  const char *name;
  rnamlOBJECT *(*make)(void);
  int common; /* takes comment, reference-ids, analysis-ids, database-ids */
  rnamlAttributeRule attributes[4];
} rnamlStartRule;

typedef struct rnamlParentRule {
  int32_t parent; /* an element code; an empty attach ends the list */
  rnamlAttach attach;
} rnamlParentRule;

typedef struct rnamlEndRule {
  const char *name;
  int root;           /* the document's root: attached nowhere */
  rnamlValueRule own; /* the element's text, into its own record first */
  int placed;         /* refused without coordinates: an atom has a place */
  rnamlParentRule parents[9];
} rnamlEndRule;

/* One parent kind of a text element: the values go into the parent, or,
   with make, into a new record that then joins the parent by attach. */
typedef struct rnamlTextTarget {
  int32_t parent;
  rnamlOBJECT *(*make)(void);
  rnamlValueRule value; /* rnamlNoValue ends the list */
  rnamlAttach attach;
} rnamlTextTarget;

typedef struct rnamlTextRule {
  const char *name;
  rnamlTextTarget targets[4];
} rnamlTextRule;

/* The rows of one element name: start and end for a record element, text
   for a text element. */
typedef struct rnamlElementRules {
  const char *name;
  const rnamlStartRule *start;
  const rnamlEndRule *end;
  const rnamlTextRule *text;
} rnamlElementRules;

/* Reads values from text as rule says and stores them into record. A
   null text, and a value that cannot be read, stores nothing. Returns 0
   when the text is refused: coordinates read as rnamlAsFloats that are
   not all finite numbers, or that have no text; 1 otherwise. */
int rnamlconvert(const rnamlValueRule *rule, const char *text, rnamlOBJECT *record);
/* A PcData record holding a copy of text; null when memory ran out. */
rnamlOBJECT *rnamlnewPcDataOf(const char *text);

/* The rows of name; null for a name in no table. */
const rnamlElementRules *rnamlrulesOf(const char *name);

/* The numbers of rows, for the tests of the tables. */
extern const int rnamlStartRuleCount, rnamlEndRuleCount, rnamlTextRuleCount;

#ifdef __cplusplus
}
#endif

#endif

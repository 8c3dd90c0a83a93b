// Helpers of the element-record tests: every element's operations as a
// table, records filled with sample values through the public setters, and
// XML nodes printed compactly.
#ifndef TOLVA_RNAML_SUPPORT_H
#define TOLVA_RNAML_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../vortan/VortanSupport.h"
#include "rnaml.h"
#include "vortanPrint.h"

namespace rnaml_test {

struct Element {
  const char* name;
  int code;
  rnamlOBJECT* (*make)();
  int (*is)(const void*);
  rnamlOBJECT* (*clone)(const rnamlOBJECT*);
  void (*destroy)(rnamlOBJECT*);
  int (*equals)(const rnamlOBJECT*, const rnamlOBJECT*);
  void* (*toXML)(const rnamlOBJECT*);
};

inline const std::vector<Element>& elements()
{
  static const std::vector<Element> all = {
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER)                                       \
  {#X, CODE, rnamlnew##X, rnamlis##X, rnamlclone##X, rnamldelete##X, rnamlequals##X,     \
   [](const rnamlOBJECT* r) -> void* { return rnamltoXML##X(r); }},
// The unmarshaller and the marshaller have no XML form of their own.
#define RNAML_RECORD(X, CODE)                                                              \
  {#X, CODE, rnamlnew##X, rnamlis##X, rnamlclone##X, rnamldelete##X, rnamlequals##X,     \
   [](const rnamlOBJECT* r) -> void* { return rnamlis##X(r) ? rnamltoXML(r) : nullptr; }},
#include "rnamlElements.def"
  };
  return all;
}

// One field's setter with a sample value: variant 0 for filling, variant 1
// for a value that differs from it. Children and list members are filled
// to depth - 1; at depth 0 only scalars and the children a record cannot be
// written without are set.
struct Field {
  int code;
  const char* name;
  void (*set)(rnamlOBJECT* record, int depth, int variant);
};

rnamlOBJECT* grown(rnamlOBJECT* record, int depth, int variant);

#define SAMPLE_STRING(X, F, OF) rnamlset##X##F(r, variant ? "other" : #F);
#define SAMPLE_INT(X, F, OF) rnamlset##X##F(r, 5 + variant);
#define SAMPLE_FLAG(X, F, OF) rnamlset##X##F(r, 3 + variant);
#define SAMPLE_BOOL(X, F, OF) rnamlset##X##F(r, !variant);
#define SAMPLE_FLOAT(X, F, OF) rnamlset##X##F(r, 1.5f + variant);
#define SAMPLE_CHAR(X, F, OF) rnamlset##X##F(r, static_cast<char>('A' + variant));
#define SAMPLE_TYPE(X, F, OF) rnamlset##X##F(r, variant ? "rna" : "dna");
#define SAMPLE_CHILD(X, F, OF) \
  if (depth > 0 || variant) rnamlset##X##F(r, grown(rnamlnew##OF(), depth - 1, variant));
#define SAMPLE_CHILD_ANY(X, F, OF) rnamlset##X##F(r, grown(ACCEPTED_##OF(), 0, variant));
#define SAMPLE_LIST(X, F, OF) \
  if (depth > 0 || variant) rnamladd##X##OF(r, grown(rnamlnew##OF(), depth - 1, variant));
#define SAMPLE_LIST_ANY(X, F, OF) \
  if (depth > 0 || variant) rnamladd##X##Child(r, grown(rnamlnewTitle(), 0, variant));
#define SAMPLE_LIST_INT(X, F, OF) rnamladd##X##Value(r, 7 + variant);
#define ACCEPTED_Object rnamlnewTitle
#define ACCEPTED_UrlOrFile rnamlnewUrl
#define ACCEPTED_BasePairOrBasePairId rnamlnewBasePairId

inline const std::vector<Field>& fields()
{
  static const std::vector<Field> all = {
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME)                       \
  {rnamlCode##X, #X #F, [](rnamlOBJECT* r, int depth, int variant) {          \
     (void)depth;                                                             \
     (void)variant;                                                           \
     SAMPLE_##KIND(X, F, OF)                                                  \
   }},
#include "rnamlElements.def"
  };
  return all;
}

// A record with every field set (variant 0), or one that differs from such
// a record in its comment (variant 1).
inline rnamlOBJECT* grown(rnamlOBJECT* record, int depth, int variant)
{
  if (variant) {
    rnamlsetObjectComment(record, "changed");
    return record;
  }
  for (const Field& f : fields())
    if (f.code == record->code) f.set(record, depth, 0);
  return record;
}

// The compact XML of a toolkit node, which is then deleted; "<null>" for
// null.
inline std::string printed(void* node)
{
  if (!node) return "<null>";
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  vortanprint(out, node);
  fclose(out);
  std::string result(text, length);
  free(text);
  vortandelete(node);
  return result;
}

inline std::string xml(const rnamlOBJECT* record)
{
  return printed(rnamltoXML(record));
}

// A FILE holding text, read from its start.
inline FILE* file_of(const std::string& text)
{
  FILE* file = tmpfile();
  fwrite(text.data(), 1, text.size(), file);
  rewind(file);
  return file;
}

// One document read by a new unmarshaller: the root (the caller's) and
// what was written on standard error.
struct Read {
  rnamlOBJECT* root;
  std::string err;
};

inline Read unmarshalled(const std::string& text, int validating = 0)
{
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  rnamlsetUnmarshallerValidating(unmarshaller, validating);
  FILE* file = file_of(text);
  vortan_test::Stderr err;
  rnamlOBJECT* root = rnamlunmarshallUnmarshaller(unmarshaller, file);
  Read read = {root, err.text()};
  fclose(file);
  rnamldelete(unmarshaller);
  return read;
}

// The document a marshaller writes for root, compact or indented.
inline std::string marshalled(const rnamlOBJECT* root, int formatted = 0, int validating = 0)
{
  rnamlOBJECT* marshaller = rnamlnewMarshaller();
  rnamlsetMarshallerFormatted(marshaller, formatted);
  rnamlsetMarshallerValidating(marshaller, validating);
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  rnamlmarshallMarshaller(marshaller, root, out);
  fclose(out);
  std::string result(text, length);
  free(text);
  rnamldelete(marshaller);
  return result;
}

}  // namespace rnaml_test

#endif

// Reads RNAML documents into rnaml::Rnaml objects, around one unmarshaller
// record of the binding. Documents are parsed one at a time in the whole
// process: the parser keeps its state in globals.
#ifndef RNAML_CXX_UNMARSHALLER_H
#define RNAML_CXX_UNMARSHALLER_H

#include <cstdio>

#include "rnamlObject.h"

namespace rnaml {

class InputStream;
class Rnaml;

class Unmarshaller
{
public:
  // Not validating. The first one registers the RNAML DTD and makes the
  // toolkit print its validity warnings for the rest of the process.
  Unmarshaller();
  Unmarshaller(const Unmarshaller& other);
  Unmarshaller& operator=(const Unmarshaller& other);
  virtual ~Unmarshaller();

  bool operator==(const Unmarshaller& other) const;
  // Whether each document read is checked against the DTD (its findings
  // are warnings and do not change the result).
  void setValidating(bool validating);

  // The document read from the stream, which the caller owns, or null:
  // not XML, not a document the binding accepts (reason() says why), or a
  // stream without a record.
  Rnaml* unmarshall(InputStream& stream) const;
  // The same from a FILE, which stays open.
  Rnaml* unmarshall(FILE* file) const;

  // Why the last unmarshall gave null; "" after one that gave a document.
  static const char* reason();

private:
  rnamlOBJECT* record;
};

}  // namespace rnaml

#endif

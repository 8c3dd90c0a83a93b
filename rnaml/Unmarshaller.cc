#include "Unmarshaller.h"

#include "Elements.h"
#include "FileInputStream.h"
#include "rnamlUnmarshaller.h"

namespace rnaml {

Unmarshaller::Unmarshaller() : record(rnamlnewUnmarshaller()) {}

Unmarshaller::Unmarshaller(const Unmarshaller& other) : record(rnamlcloneUnmarshaller(other.record)) {}

Unmarshaller& Unmarshaller::operator=(const Unmarshaller& other)
{
  if (this == &other) return *this;
  rnamldeleteUnmarshaller(record);
  record = rnamlcloneUnmarshaller(other.record);
  return *this;
}

Unmarshaller::~Unmarshaller() { rnamldeleteUnmarshaller(record); }

bool Unmarshaller::operator==(const Unmarshaller& other) const
{
  return this == &other || rnamlequalsUnmarshaller(record, other.record) != 0;
}

void Unmarshaller::setValidating(bool validating) { rnamlsetUnmarshallerValidating(record, validating ? 1 : 0); }

Rnaml* Unmarshaller::unmarshall(InputStream& stream) const
{
  rnamlOBJECT* root = rnamlunmarshallUnmarshallerStream(record, stream.getCStructure());
  return static_cast<Rnaml*>(Object::pack(root));
}

Rnaml* Unmarshaller::unmarshall(FILE* file) const
{
  FileInputStream stream(file);
  return unmarshall(stream);
}

const char* Unmarshaller::reason() { return rnamlgetReason(); }

}  // namespace rnaml

// Helpers of the scanner and parser tests: documents read from memory, the
// token stream of a text, and the canonical form of a parsed Document.
#ifndef TOLVA_PARSE_SUPPORT_H
#define TOLVA_PARSE_SUPPORT_H

#include <cstdio>
#include <string>
#include <vector>

#include "vortan.h"
#include "vortanParser.h"
#include "vortanScanner.h"

namespace vortan_test {

// Sets vortanin to a file stream over bytes for the object's life (and
// back to null at its end, when it is still that stream).
class MemoryInput
{
public:
  explicit MemoryInput(const std::string& bytes);
  ~MemoryInput();
  MemoryInput(const MemoryInput&) = delete;
  MemoryInput& operator=(const MemoryInput&) = delete;
  vortanINPUTSTREAM* stream() const { return input; }

private:
  std::string copy;
  FILE* file;
  vortanINPUTSTREAM* input;
};

// A parse of text: its result and its Document, which the object owns.
struct Parse
{
  explicit Parse(const std::string& text);
  ~Parse() { vortandelete(document); }
  Parse(const Parse&) = delete;
  Parse& operator=(const Parse&) = delete;
  int result;
  vortanDOCUMENT* document;
};

// The token just read, as tokens() names it; its value is freed.
std::string token_text(int code);

// The tokens the scanner gives for text, read from the start of a parse:
// "NAME(a)", "CHARREF(65)", "CLOSE", ... up to the end of input.
std::vector<std::string> tokens(const std::string& text);

// The canonical XML of a Document: processing instructions and the root,
// attributes sorted by name, comments dropped, CDATA as escaped text.
std::string canonical(const vortanDOCUMENT* document);

// The compact printed form of any record.
std::string printed(const void* record);

}  // namespace vortan_test

#endif

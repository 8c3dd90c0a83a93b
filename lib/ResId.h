// A residue identifier: number, chain and insertion code, as in columns
// 22-27 of a PDB atom record. It is the key residues are found and sorted by.
#ifndef TESSEL_RESID_H
#define TESSEL_RESID_H

#include <iosfwd>
#include <memory>
#include <string_view>

class iBinstream;
class oBinstream;

class CResId
{
public:
  CResId(int number = -1, char chain = ' ', char insertion = ' ');
  // Parses the text form (12, A12, '1'12, A12.B). A malformed text is
  // reported on gOut and leaves the fields parsed so far; it never throws.
  explicit CResId(const char* text);
  // The same grammar without a word on gOut: true with the id when the
  // whole text is a well-formed id, false with the id unchanged otherwise.
  static bool Parse(std::string_view text, CResId& id);
  // Copies never share the cached text.
  CResId(const CResId& other);
  CResId& operator=(const CResId& other);
  ~CResId() = default;

  int GetResNo() const { return number; }
  char GetChainId() const { return chain; }
  char GetInsCode() const { return insertion; }
  void SetResNo(int n);
  void SetChainId(char c);
  void SetInsCode(char c);

  // The printed form, valid until this id changes or dies.
  operator const char*() const;

  bool operator==(const CResId& other) const;
  bool operator!=(const CResId& other) const { return !(*this == other); }
  // Chain, then number, then insertion code.
  bool operator<(const CResId& other) const;

private:
  void parse(const char* text);

  int number;
  char chain;
  char insertion;
  mutable std::unique_ptr<char[]> text;  // null until first printed
};

std::ostream& operator<<(std::ostream& os, const CResId& id);

iBinstream& operator>>(iBinstream& is, CResId& id);
oBinstream& operator<<(oBinstream& os, const CResId& id);

#endif

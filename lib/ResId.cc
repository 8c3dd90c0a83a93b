#include "ResId.h"

#include <charconv>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "Binstream.h"
#include "Messagestream.h"

namespace {

// The C locale's classes, whatever locale the process runs in.
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string printed_form(int number, char chain, char insertion)
{
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;

  std::string s;
  if (is_letter(chain)) {
    s += chain;
  } else if (chain != ' ') {
    s += '\'';
    s += chain;
    s += '\'';
  }
  s.append(digits, end);
  if (insertion != ' ') {
    s += '.';
    s += insertion;
  }
  return s;
}

// At most four digits, so the value always fits.
bool parse_number(std::string_view part, int& value)
{
  if (part.empty() || part.size() > 4) return false;
  int v = 0;
  for (char c : part) {
    if (!is_digit(c)) return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

}  // namespace

CResId::CResId(int n, char c, char i) : number(n), chain(c), insertion(i) {}

CResId::CResId(const char* t) : number(-1), chain(' '), insertion(' ')
{
  parse(t == nullptr ? "" : t);
}

CResId::CResId(const CResId& other)
  : number(other.number), chain(other.chain), insertion(other.insertion)
{
}

CResId& CResId::operator=(const CResId& other)
{
  if (this != &other) {
    text.reset();
    number = other.number;
    chain = other.chain;
    insertion = other.insertion;
  }
  return *this;
}

void CResId::SetResNo(int n)
{
  text.reset();
  number = n;
}

void CResId::SetChainId(char c)
{
  text.reset();
  chain = c;
}

void CResId::SetInsCode(char c)
{
  text.reset();
  insertion = c;
}

namespace {

enum class Fault { kNone, kQuotes, kNumber, kInsertion };

// The text form cut into its fields, up to the first fault: the fields
// keep what was parsed before it.
struct Fields
{
  int number = -1;
  char chain = ' ';
  char insertion = ' ';
  std::string_view numberPart;
  std::string_view insertionPart;
  Fault fault = Fault::kNone;
};

Fields split_fields(std::string_view rest)
{
  Fields f;
  if (!rest.empty() && rest[0] == '\'') {
    if (rest.size() < 4 || rest[2] != '\'') {
      f.fault = Fault::kQuotes;
      return f;
    }
    f.chain = rest[1];
    rest.remove_prefix(3);
  } else if (!rest.empty() && is_letter(rest[0])) {
    f.chain = rest[0];
    rest.remove_prefix(1);
  }

  size_t dot = rest.find('.');
  bool has_insertion = dot != std::string_view::npos;
  f.numberPart = rest.substr(0, dot);
  f.insertionPart = has_insertion ? rest.substr(dot + 1) : std::string_view();
  if (!parse_number(f.numberPart, f.number)) {
    f.fault = Fault::kNumber;
  } else if (has_insertion) {
    if (f.insertionPart.size() == 1)
      f.insertion = f.insertionPart[0];
    else
      f.fault = Fault::kInsertion;
  }
  return f;
}

}  // namespace

bool CResId::Parse(std::string_view text, CResId& id)
{
  Fields f = split_fields(text);
  if (f.fault != Fault::kNone) return false;
  id = CResId(f.number, f.chain, f.insertion);
  return true;
}

void CResId::parse(const char* whole)
{
  Fields f = split_fields(whole);
  if (f.fault == Fault::kQuotes) {
    gOut->setLevel(2) << "Malformed residue id " << whole << std::endl;
    return;
  }
  chain = f.chain;
  if (f.fault == Fault::kNumber) {
    gOut->setLevel(2) << "Malformed residue number in residue id " << '\'' << chain << '\''
                      << f.numberPart;
    if (!f.insertionPart.empty()) *gOut << '.' << f.insertionPart;
    *gOut << std::endl;
    return;
  }
  number = f.number;
  if (f.fault == Fault::kInsertion)
    gOut->setLevel(2) << "Malformed insertion code in residue id " << *this << '.'
                      << f.insertionPart << std::endl;
  insertion = f.insertion;
}

CResId::operator const char*() const
{
  if (!text) {
    std::string s = printed_form(number, chain, insertion);
    text.reset(new char[s.size() + 1]);
    std::memcpy(text.get(), s.c_str(), s.size() + 1);
  }
  return text.get();
}

bool CResId::operator==(const CResId& other) const
{
  return number == other.number && chain == other.chain && insertion == other.insertion;
}

bool CResId::operator<(const CResId& other) const
{
  // Characters order as signed, whatever the platform's char is.
  signed char a = static_cast<signed char>(chain);
  signed char b = static_cast<signed char>(other.chain);
  if (a != b) return a < b;
  if (number != other.number) return number < other.number;
  return static_cast<signed char>(insertion) < static_cast<signed char>(other.insertion);
}

// Formatted afresh rather than through the cache, so that printing a
// shared id from several threads writes nothing in it.
std::ostream& operator<<(std::ostream& os, const CResId& id)
{
  return os << printed_form(id.GetResNo(), id.GetChainId(), id.GetInsCode());
}

// A read that fails part way leaves the id as it was.
iBinstream& operator>>(iBinstream& is, CResId& id)
{
  int number = 0;
  char chain = ' ';
  char insertion = ' ';
  if (is >> number >> chain >> insertion) {
    id.SetResNo(number);
    id.SetChainId(chain);
    id.SetInsCode(insertion);
  }
  return is;
}

oBinstream& operator<<(oBinstream& os, const CResId& id)
{
  return os << id.GetResNo() << id.GetChainId() << id.GetInsCode();
}

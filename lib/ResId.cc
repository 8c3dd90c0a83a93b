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

void CResId::parse(const char* whole)
{
  std::string_view rest(whole);

  if (!rest.empty() && rest[0] == '\'') {
    if (rest.size() < 4 || rest[2] != '\'') {
      gOut->setLevel(2) << "Malformed residue id " << whole << std::endl;
      return;
    }
    chain = rest[1];
    rest.remove_prefix(3);
  } else if (!rest.empty() && is_letter(rest[0])) {
    chain = rest[0];
    rest.remove_prefix(1);
  }

  size_t dot = rest.find('.');
  bool has_insertion = dot != std::string_view::npos;
  std::string_view number_part = rest.substr(0, dot);
  std::string_view insertion_part = has_insertion ? rest.substr(dot + 1) : std::string_view();

  if (!parse_number(number_part, number)) {
    gOut->setLevel(2) << "Malformed residue number in residue id " << '\'' << chain << '\''
                      << number_part;
    if (!insertion_part.empty()) *gOut << '.' << insertion_part;
    *gOut << std::endl;
    return;
  }

  if (!has_insertion) return;
  if (insertion_part.size() == 1) {
    insertion = insertion_part[0];
  } else {
    gOut->setLevel(2) << "Malformed insertion code in residue id " << *this << '.'
                      << insertion_part << std::endl;
  }
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

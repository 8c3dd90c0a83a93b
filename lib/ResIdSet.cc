#include "ResIdSet.h"

#include <iterator>
#include <ostream>
#include <string>

#include "Binstream.h"
#include "Exception.h"

namespace {

// Blanks in the C locale's sense, so tabs and line ends separate too.
bool is_separator(char c)
{
  return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// b follows a in a run: same chain, next number.
bool follows(const CResId& a, const CResId& b)
{
  return a.GetChainId() == b.GetChainId()
         && static_cast<long long>(b.GetResNo()) == static_cast<long long>(a.GetResNo()) + 1;
}

}  // namespace

CResIdSet::CResIdSet() : cursor(ids.begin()) {}

CResIdSet::CResIdSet(int number, char chain) : ids{CResId(number, chain)}, cursor(ids.begin()) {}

// The cursor is carried over by position, since it must point into this set.
CResIdSet::CResIdSet(const CResIdSet& other)
  : ids(other.ids),
    cursor(std::next(ids.begin(), std::distance(other.ids.begin(), other.cursor)))
{
}

CResIdSet& CResIdSet::operator=(const CResIdSet& other)
{
  if (this != &other) {
    ids = other.ids;
    cursor = std::next(ids.begin(), std::distance(other.ids.begin(), other.cursor));
  }
  return *this;
}

// Swapped sets keep their nodes: the cursor still points at its id.
CResIdSet& CResIdSet::operator=(CResIdSet&& other) noexcept
{
  if (this != &other) {
    const bool atEnd = other.cursor == other.ids.end();
    ids.clear();
    ids.swap(other.ids);
    cursor = atEnd ? ids.end() : other.cursor;
    other.cursor = other.ids.begin();
  }
  return *this;
}

std::pair<CResIdSet::const_iterator, bool> CResIdSet::insert(const CResId& id)
{
  auto result = ids.insert(id);
  cursor = ids.begin();
  return result;
}

CResIdSet::const_iterator CResIdSet::insert(const_iterator hint, const CResId& id)
{
  auto where = ids.insert(hint, id);
  cursor = ids.begin();
  return where;
}

void CResIdSet::insert(int number, char chain) { insert(CResId(number, chain)); }

CResIdSet::size_type CResIdSet::erase(const CResId& id)
{
  size_type n = ids.erase(id);
  cursor = ids.begin();
  return n;
}

void CResIdSet::clear()
{
  ids.clear();
  cursor = ids.begin();
}

void CResIdSet::_parse_and_insert(const char* text)
{
  if (text == nullptr) return;
  std::string_view expression(text);
  size_t start = 0;
  while (start <= expression.size()) {
    size_t stop = start;
    while (stop < expression.size() && !is_separator(expression[stop])) ++stop;
    // Separators in a row ("A1, A5") leave empty items: nothing to insert.
    if (stop > start) parse_item(expression.substr(start, stop - start), text);
    start = stop + 1;
  }
}

namespace {

// The user's mistake, said once: the item, and the whole expression when
// it holds more than that item.
[[noreturn]] void malformed(const char* what, std::string_view item, std::string_view expression)
{
  CLibException e(what);
  e << " \"" << std::string(item).c_str() << "\"";
  if (item != expression) e << " in \"" << std::string(expression).c_str() << "\"";
  throw e;
}

}  // namespace

void CResIdSet::parse_item(std::string_view item, const char* expression)
{
  size_t hyphen = item.find('-');
  CResId first;
  if (hyphen == std::string_view::npos) {
    if (!CResId::Parse(item, first)) malformed("Malformed residue id", item, expression);
    insert(first);
    return;
  }

  // Both ends whole ids of one chain, going upwards: "A1-A5", never
  // "-5", "A1-", "A1-A5-A9", "A5-A1" or "A1-B5".
  CResId last;
  if (!CResId::Parse(item.substr(0, hyphen), first) || !CResId::Parse(item.substr(hyphen + 1), last)
      || first.GetChainId() != last.GetChainId() || first.GetResNo() >= last.GetResNo())
    malformed("Malformed residue id range", item, expression);
  insert(first);
  // The ids after the first are whole residues: no insertion code.
  for (int n = first.GetResNo(); n < last.GetResNo();) {
    ++n;
    ids.insert(ids.end(), CResId(n, first.GetChainId()));
  }
  cursor = ids.begin();
}

const CResId& CResIdSet::current() const
{
  if (cursor == ids.end()) {
    CIntLibException e("Residue id set cursor is past the last id", __FILE__, __LINE__);
    throw e;
  }
  return *cursor;
}

char CResIdSet::GetChainId() const { return current().GetChainId(); }

int CResIdSet::GetResNo() const { return current().GetResNo(); }

CResIdSet& CResIdSet::operator++()
{
  if (cursor != ids.end()) ++cursor;
  return *this;
}

CResIdSet CResIdSet::operator++(int)
{
  CResIdSet before(*this);
  ++*this;
  return before;
}

std::ostream& operator<<(std::ostream& os, const CResIdSet& set)
{
  bool in_run = false;
  for (auto it = set.begin(); it != set.end(); ++it) {
    auto next = std::next(it);
    if (next == set.end()) {
      os << *it;
    } else if (follows(*it, *next)) {
      if (!in_run) os << *it << '-';
      in_run = true;
    } else {
      os << *it << ',';
      in_run = false;
    }
  }
  return os;
}

// A stream that fails part way stops the reading: the set keeps the ids
// read whole before it.
iBinstream& operator>>(iBinstream& is, CResIdSet& set)
{
  set.clear();
  int count = 0;
  if (!(is >> count)) return is;
  for (int i = 0; i < count; ++i) {
    CResId id;
    if (!(is >> id)) break;
    set.insert(set.end(), id);
  }
  return is;
}

oBinstream& operator<<(oBinstream& os, const CResIdSet& set)
{
  os << static_cast<int>(set.size());
  for (const CResId& id : set) os << id;
  return os;
}

// An ordered set of residue ids, built from the expressions users type
// after -a and -r ("A1-A10, B5"), plus a cursor over its ids.
#ifndef TESSEL_RESIDSET_H
#define TESSEL_RESIDSET_H

#include <cstddef>
#include <iosfwd>
#include <set>
#include <string_view>
#include <utility>

#include "ResId.h"

class iBinstream;
class oBinstream;

class CResIdSet
{
  using Container = std::set<CResId>;

public:
  // Ids are keys: they are never changed in place.
  using value_type = CResId;
  using key_type = CResId;
  using size_type = std::size_t;
  using reference = const CResId&;
  using const_reference = const CResId&;
  using iterator = Container::const_iterator;
  using const_iterator = Container::const_iterator;

  CResIdSet();
  CResIdSet(int number, char chain);
  CResIdSet(const CResIdSet& other);
  CResIdSet& operator=(const CResIdSet& other);
  // Takes the other's ids without a copy, leaving it empty.
  CResIdSet& operator=(CResIdSet&& other) noexcept;
  ~CResIdSet() = default;

  const_iterator begin() const { return ids.begin(); }
  const_iterator end() const { return ids.end(); }
  size_type size() const { return ids.size(); }
  bool empty() const { return ids.empty(); }
  const_iterator find(const CResId& id) const { return ids.find(id); }
  size_type count(const CResId& id) const { return ids.count(id); }

  // Every change puts the cursor back on the first id.
  std::pair<const_iterator, bool> insert(const CResId& id);
  const_iterator insert(const_iterator hint, const CResId& id);  // for std::inserter
  void insert(int number, char chain);
  size_type erase(const CResId& id);
  void clear();

  // Inserts every id the expression names: ids and ranges of one chain
  // ("A1-A10"), separated by commas or blanks. A malformed id or range,
  // also one across chains or not going upwards, throws CLibException
  // quoting it. A null text does nothing.
  void _parse_and_insert(const char* text);

  // The id under the cursor; throws CIntLibException past the last id.
  char GetChainId() const;
  int GetResNo() const;
  CResIdSet& operator++();
  CResIdSet operator++(int);

  bool operator==(const CResIdSet& other) const { return ids == other.ids; }
  bool operator!=(const CResIdSet& other) const { return ids != other.ids; }

private:
  void parse_item(std::string_view item, const char* expression);
  const CResId& current() const;

  Container ids;
  const_iterator cursor;
};

// Runs of consecutive numbers in one chain print as "A1-A3": A1-A3,A5,B6.
std::ostream& operator<<(std::ostream& os, const CResIdSet& set);

iBinstream& operator>>(iBinstream& is, CResIdSet& set);
oBinstream& operator<<(oBinstream& os, const CResIdSet& set);

#endif

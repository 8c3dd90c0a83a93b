// An atom filter shared by all the iterators copied from one another.
// Copies count references instead of cloning the filter, so that copying
// or moving an iterator never allocates; the filter is never changed once
// shared, so several threads may test atoms against it at once. A null
// handle accepts every atom.
#ifndef TESSEL_SHAREDATOMSET_H
#define TESSEL_SHAREDATOMSET_H

#include <atomic>

#include "AtomSet.h"

class SharedAtomSet
{
public:
  SharedAtomSet() noexcept : node(nullptr) {}
  // Takes ownership of the filter; null gives the handle of every atom.
  explicit SharedAtomSet(AtomSet* filter);
  SharedAtomSet(const SharedAtomSet& other) noexcept : node(other.node) { retain(); }
  SharedAtomSet(SharedAtomSet&& other) noexcept : node(other.node) { other.node = nullptr; }
  SharedAtomSet& operator=(const SharedAtomSet& other) noexcept
  {
    SharedAtomSet copy(other);
    swap(copy);
    return *this;
  }
  SharedAtomSet& operator=(SharedAtomSet&& other) noexcept
  {
    SharedAtomSet moved(static_cast<SharedAtomSet&&>(other));
    swap(moved);
    return *this;
  }
  ~SharedAtomSet() { release(); }

  void swap(SharedAtomSet& other) noexcept
  {
    Node* n = node;
    node = other.node;
    other.node = n;
  }

  bool accepts(const CAtom& atom) const { return node == nullptr || (*node->filter)(atom); }
  // The filter, or null for every atom.
  const AtomSet* get() const { return node != nullptr ? node->filter : nullptr; }

private:
  struct Node
  {
    std::atomic<unsigned> references;
    const AtomSet* filter;
  };

  void retain() noexcept
  {
    if (node != nullptr) node->references.fetch_add(1, std::memory_order_relaxed);
  }
  void release() noexcept;

  Node* node;
};

#endif

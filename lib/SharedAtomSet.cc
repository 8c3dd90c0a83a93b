#include "SharedAtomSet.h"

SharedAtomSet::SharedAtomSet(AtomSet* filter) : node(nullptr)
{
  if (filter == nullptr) return;
  try {
    node = new Node{{1}, filter};
  } catch (...) {
    delete filter;
    throw;
  }
}

void SharedAtomSet::release() noexcept
{
  if (node == nullptr) return;
  // The last holder must see every other holder's use of the filter
  // before it deletes it.
  if (node->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    delete node->filter;
    delete node;
  }
  node = nullptr;
}

// The strict upper triangle of a symmetric n x n distance matrix, stored
// row by row: (0,1) ... (0,n-1), (1,2) ... Indices are 64-bit, since the
// pair count outgrows 32 bits above about 46,000 structures (as int) or
// 92,000 (as unsigned).
#ifndef TOLVA_PACKEDMATRIX_H
#define TOLVA_PACKEDMATRIX_H

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace tolva {

class CPackedMatrix
{
public:
  // Every distance 0.
  explicit CPackedMatrix(uint64_t n = 0) : n(n), values(pair_count(n), 0.0f) {}
  // Every distance unset, for a caller that writes them all: the pages are
  // first touched where they are written, on the workers, not zeroed here.
  static CPackedMatrix Unset(uint64_t n) { return CPackedMatrix(n, Uninitialised<float>()); }

  static uint64_t pair_count(uint64_t n) { return n < 2 ? 0 : n * (n - 1) / 2; }
  // Position of the pair (i, j), i < j.
  static uint64_t index(uint64_t n, uint64_t i, uint64_t j) { return i * n - i * (i + 3) / 2 + j - 1; }
  // The pair (i, j), i < j, stored at position p.
  static std::pair<uint64_t, uint64_t> pair_at(uint64_t n, uint64_t p);

  uint64_t size() const { return n; }
  uint64_t pairs() const { return values.size(); }

  float& operator[](uint64_t p) { return values[p]; }
  float operator[](uint64_t p) const { return values[p]; }
  // Either order; the diagonal is 0.
  float at(uint64_t i, uint64_t j) const
  {
    if (i == j) return 0.0f;
    return i < j ? values[index(n, i, j)] : values[index(n, j, i)];
  }

private:
  // Makes vector elements without a value: floats are left unset.
  template <typename T>
  struct Uninitialised : std::allocator<T>
  {
    template <typename U>
    struct rebind
    {
      typedef Uninitialised<U> other;
    };
    Uninitialised() = default;
    template <typename U>
    Uninitialised(const Uninitialised<U>&) {}
    template <typename U>
    void construct(U* p) { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) { ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...); }
  };

  CPackedMatrix(uint64_t n, Uninitialised<float>) : n(n), values(pair_count(n)) {}

  uint64_t n;
  std::vector<float, Uninitialised<float>> values;
};

}  // namespace tolva

#endif

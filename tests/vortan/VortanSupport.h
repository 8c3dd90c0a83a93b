// Helpers of the toolkit's tests: Strings from literals, the reports on
// standard error, exhausting memory at a chosen allocation, and running
// code on a small C stack.
#ifndef TOLVA_VORTAN_SUPPORT_H
#define TOLVA_VORTAN_SUPPORT_H

#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "vortan.h"
#include "vortanAllocator.h"

namespace vortan_test {

inline vortanSTRING* str(const char* text)
{
  return vortannewString(strdup(text));
}

inline std::string text(const vortanSTRING* s)
{
  const char* t = vortangetStringStr(s);
  return t ? t : "<null>";
}

// A List of the items, in order.
inline vortanLIST* list_of(std::initializer_list<void*> items)
{
  vortanLIST* list = vortannewList();
  for (void* item : items) vortanaddLast(list, item);
  return list;
}

// An element with attributes (name, value) and content items.
inline vortanELEMENT* el(const char* name, std::vector<std::pair<const char*, const char*>> attributes = {},
                         std::initializer_list<void*> items = {})
{
  vortanELEMENT* e = vortannewElementWithName(name);
  for (auto& [a, v] : attributes) vortanaddAttribute(e, a, v, 0);
  for (void* item : items) vortanaddContentElement(e, item);
  return e;
}

// Standard error written while the object lives.
class Stderr
{
public:
  Stderr() { testing::internal::CaptureStderr(); }
  ~Stderr()
  {
    if (!taken) testing::internal::GetCapturedStderr();
  }
  std::string text()
  {
    taken = true;
    return testing::internal::GetCapturedStderr();
  }

private:
  bool taken = false;
};

// Allocations through the toolkit succeed `budget` times, then fail.
class MemoryBudget
{
public:
  explicit MemoryBudget(long budget)
  {
    remaining() = budget;
    vortanAllocator = &limited;
  }
  ~MemoryBudget() { vortanAllocator = std::malloc; }
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;
  static bool exhausted() { return remaining() < 0; }

private:
  static long& remaining()
  {
    static long n = 0;
    return n;
  }
  static void* limited(size_t size) { return --remaining() < 0 ? nullptr : std::malloc(size); }
};

// Runs attempt with the first allocation failing, then the second, and so
// on until it runs with memory to spare; returns that last budget. A run
// that met the failure must give null with one "Out of Memory" report;
// after(result, failed) sees every run.
inline long under_every_allocation_failure(const std::function<void*()>& attempt,
                                           const std::function<void(void*, bool)>& after)
{
  const std::regex one_report(":vortan[A-Za-z]+\\.(c|def):[0-9]+: Out of Memory\n");
  for (long budget = 0;; ++budget) {
    void* result;
    std::string report;
    bool failed;
    {
      MemoryBudget limit(budget);
      Stderr err;
      result = attempt();
      report = err.text();
      failed = MemoryBudget::exhausted();
    }
    if (failed) {
      EXPECT_EQ(result, nullptr) << budget;
      EXPECT_TRUE(std::regex_match(report, one_report)) << budget << ": " << report;
    }
    after(result, failed);
    if (!failed) return budget;
  }
}

// Runs work on a thread of 256 KiB of stack: recursion along a long chain
// would overflow it.
inline void on_small_stack(const std::function<void()>& work)
{
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

// The shape of a misuse report: ":file:line: " and an empty message.
inline const char* misuse_report()
{
  return "^:[A-Za-z]+\\.(c|def):[0-9]+: \n$";
}

}  // namespace vortan_test

#endif

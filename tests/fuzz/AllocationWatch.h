#pragma once
// Watches the memory this thread's code asks for while a watch is alive: the largest single
// request and the most held at once, so that a test can see a reader take memory in
// proportion to what it reads. Counted by this test program's own operator new; in the
// sanitizer tree the sanitizer's allocator stays in place and nothing is counted.

#include <cstddef>

class TAllocationWatch {
 public:
  TAllocationWatch();
  ~TAllocationWatch();
  TAllocationWatch(const TAllocationWatch&) = delete;
  TAllocationWatch& operator=(const TAllocationWatch&) = delete;

  bool Counting() const;
  size_t Largest() const;
  // The most bytes held at once since the watch began, above what was held then.
  size_t Peak() const;
};

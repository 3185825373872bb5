#include "tests/fuzz/AllocationWatch.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TB_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TB_SANITIZED 1
#endif
#endif

namespace {

// Per thread: one watch at a time, and only the watching thread's requests count. Blocks
// freed on another thread than the one that took them are not followed; the readers use
// one thread.
thread_local bool Watching = false;
thread_local size_t WatchLargest = 0;
thread_local ptrdiff_t Held = 0;
thread_local ptrdiff_t MostHeld = 0;

}  // namespace

TAllocationWatch::TAllocationWatch() {
  WatchLargest = 0;
  Held = 0;
  MostHeld = 0;
  Watching = true;
}

TAllocationWatch::~TAllocationWatch() {
  Watching = false;
}

size_t TAllocationWatch::Largest() const {
  return WatchLargest;
}

size_t TAllocationWatch::Peak() const {
  return static_cast<size_t>(MostHeld);
}

#ifdef TB_SANITIZED

bool TAllocationWatch::Counting() const {
  return false;
}

#else

bool TAllocationWatch::Counting() const {
  return true;
}

namespace {

// A block just taken from malloc, counted when the watch is on.
void* Counted(void* P, size_t Size) {
  if (P == nullptr) throw std::bad_alloc();
  if (Watching) {
    if (Size > WatchLargest) WatchLargest = Size;
    Held += static_cast<ptrdiff_t>(malloc_usable_size(P));
    if (Held > MostHeld) MostHeld = Held;
  }
  return P;
}

}  // namespace

void* operator new(size_t Size) {
  return Counted(std::malloc(Size == 0 ? 1 : Size), Size);
}

void* operator new[](size_t Size) {
  return operator new(Size);
}

// Big pictures take their pixels aligned to huge pages (platform/PixelMemory.cpp).
void* operator new(size_t Size, std::align_val_t Alignment) {
  const size_t Align = static_cast<size_t>(Alignment);
  // aligned_alloc wants a multiple of the alignment.
  return Counted(std::aligned_alloc(Align, (std::max<size_t>(Size, 1) + Align - 1) / Align * Align),
                 Size);
}

void operator delete(void* P, std::align_val_t) noexcept {
  operator delete(P);
}

void operator delete(void* P, size_t, std::align_val_t) noexcept {
  operator delete(P);
}

void operator delete(void* P) noexcept {
  if (P == nullptr) return;
  if (Watching) Held -= static_cast<ptrdiff_t>(malloc_usable_size(P));
  std::free(P);
}

void operator delete[](void* P) noexcept {
  operator delete(P);
}

void operator delete(void* P, size_t) noexcept {
  operator delete(P);
}

void operator delete[](void* P, size_t) noexcept {
  operator delete(P);
}

#endif

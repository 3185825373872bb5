#include "platform/PixelMemory.h"

#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/PageHint.h"

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// The pixels start this far into their first huge page, where malloc's own big blocks start.
// Row copies between a block at a page's start and a block 16 bytes further (the fake
// presenter's picture, a malloc'ed frame buffer) ran ten times slower in glibc's memcpy than
// between blocks of the same page offset.
constexpr size_t kLead = alignof(std::max_align_t);

// Under AddressSanitizer every block keeps its ordinary allocation, so that an access past
// the pixels is caught at their end and not only past the rounded-up block.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHugePagesWanted = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kHugePagesWanted = false;
#else
constexpr bool kHugePagesWanted = true;
#endif
#else
constexpr bool kHugePagesWanted = true;
#endif

}  // namespace

size_t HugePixelBlockSize(size_t Bytes) {
  if (!kHugePagesWanted || Bytes < kHugePage / 2 || Bytes > SIZE_MAX / 2) return 0;
  const size_t Rounded = (Bytes + kLead + kHugePage - 1) / kHugePage * kHugePage;
  return (Rounded - Bytes) * 8 <= Bytes ? Rounded : 0;
}

void* AllocatePixelMemory(size_t Bytes) {
  const size_t Huge = HugePixelBlockSize(Bytes);
  if (Huge == 0) return ::operator new(Bytes);
  void* Memory = ::operator new (Huge, std::align_val_t{kHugePage});
  HintHugePages(Memory, Huge);
  return static_cast<char*>(Memory) + kLead;
}

void FreePixelMemory(void* Memory, size_t Bytes) noexcept {
  if (Memory == nullptr) return;
  if (HugePixelBlockSize(Bytes) == 0)
    ::operator delete(Memory);
  else
    ::operator delete (static_cast<char*>(Memory) - kLead, std::align_val_t{kHugePage});
}

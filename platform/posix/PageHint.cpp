#include "platform/PageHint.h"

#include <sys/mman.h>

void HintHugePages(void* Memory, size_t Bytes) noexcept {
  // An older kernel, or one with transparent huge pages switched off, refuses it.
  madvise(Memory, Bytes, MADV_HUGEPAGE);
}

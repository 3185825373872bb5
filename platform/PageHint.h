#pragma once
// Asks the system to map a block of whole 2 MB pages as huge pages (see PixelMemory.h).
// Only a hint: a system that does not offer them on request leaves the block in small pages.

#include <cstddef>

void HintHugePages(void* Memory, size_t Bytes) noexcept;

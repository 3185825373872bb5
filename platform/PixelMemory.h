#pragma once
// Memory for the pixels of pictures. The first write to each 4 KB page of fresh memory costs
// a page fault: filling one new 800x600 picture took 470 of them, about 1.2 ms on a virtual
// machine, and the first picture of the game needs two such buffers (the menu backdrop and
// the display's back surface). A block that comes close to whole 2 MB pages is asked for as
// transparent huge pages, so that the kernel, where it offers them on request, maps it with
// one fault per 2 MB. Where it does not, the block behaves as any other.

#include <cstddef>

// Throws std::bad_alloc when the memory cannot be had.
void* AllocatePixelMemory(size_t Bytes);
// Bytes must be the size the block was asked for with.
void FreePixelMemory(void* Memory, size_t Bytes) noexcept;
// The size asked of the kernel as huge pages for a block of Bytes, or 0 when the block is
// not worth it: too small, or rounding it up would waste more than an eighth of it. A huge
// block starts 16 bytes into its first huge page (see PixelMemory.cpp).
size_t HugePixelBlockSize(size_t Bytes);

#include "platform/PageHint.h"

// Windows maps large pages only for a process holding the "lock pages in memory" right,
// through VirtualAlloc(MEM_LARGE_PAGES), never as a hint over ordinary memory: the block stays
// a plain aligned one.
void HintHugePages(void*, size_t) noexcept {}

#include "platform/PageAllocator.h"

#include <sys/mman.h>

namespace platform {

namespace {
constexpr size_t HugePageWorthy = size_t(4) << 20;
}

void *AllocatePages(size_t size) noexcept {
  if (size == 0 || size > MaxPageBlock) return nullptr;
  void *block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  // Fewer page faults on the first pass over a photograph-sized block.
  if (size >= HugePageWorthy) madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

void FreePages(void *block, size_t size) noexcept {
  if (block != nullptr && size != 0) munmap(block, size);
}

}  // namespace platform

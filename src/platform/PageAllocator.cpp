#include "platform/PageAllocator.h"

#include <sys/mman.h>

#include <atomic>

namespace platform {

namespace {
constexpr size_t HugePageWorthy = size_t(4) << 20;

std::atomic<int> InjectedFailures{0};
std::atomic<int> SuccessesBeforeFailures{0};

// Takes one from counter when it is positive.
bool TakeOne(std::atomic<int> &counter) noexcept {
  int pending = counter.load();
  while (pending > 0)
    if (counter.compare_exchange_weak(pending, pending - 1)) return true;
  return false;
}

bool TakeInjectedFailure() noexcept {
  if (InjectedFailures.load(std::memory_order_relaxed) <= 0) return false;
  if (TakeOne(SuccessesBeforeFailures)) return false;
  return TakeOne(InjectedFailures);
}
}  // namespace

void *AllocatePages(size_t size) noexcept {
  if (size == 0 || size > MaxPageBlock) return nullptr;
  if (TakeInjectedFailure()) return nullptr;
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

void FailNextPageAllocations(int count, int after) noexcept {
  InjectedFailures.store(0);
  SuccessesBeforeFailures.store(after > 0 ? after : 0);
  InjectedFailures.store(count > 0 ? count : 0);
}

int PendingPageAllocationFailures() noexcept { return InjectedFailures.load(); }

}  // namespace platform

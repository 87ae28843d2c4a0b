#pragma once
// Pixel blocks come straight from the operating system's page allocator:
// committed, read-write and zero-filled, and given back when freed.

#include <cstddef>

namespace platform {

// A zero-filled block of at least `size` bytes, or null when the system refuses
// (or size is 0). Large blocks are offered to transparent huge pages.
void *AllocatePages(size_t size) noexcept;

// Returns a block from AllocatePages; `size` must be the size it was asked with.
void FreePages(void *block, size_t size) noexcept;

// Largest block AllocatePages will attempt; bigger requests fail at once
// instead of reserving address space that could never be touched.
constexpr size_t MaxPageBlock = size_t(1) << 36;  // 64 GiB

// Fault seam for tests: after `after` more non-empty requests succeed, the
// next `count` fail as if the system had refused them; a count of 0 ends it.
// Lets a test run out of memory at an exact step, which an address-space
// limit on the process cannot do.
void FailNextPageAllocations(int count, int after = 0) noexcept;
// How many refusals set by FailNextPageAllocations are still to come.
int PendingPageAllocationFailures() noexcept;

}  // namespace platform

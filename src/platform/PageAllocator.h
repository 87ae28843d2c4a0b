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

}  // namespace platform

#include "engine/sample_allocator.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace engine {
namespace {

// The huge page size of x86-64 and of most 64-bit ARM systems; elsewhere the advice is only
// an alignment.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void* AllocateSampleBlock(std::size_t bytes)
{
    if (bytes < kHugePageBlockBytes) {
        return ::operator new(bytes);
    }
    void* block = ::operator new (bytes, std::align_val_t{kHugePage});
#if defined(MADV_HUGEPAGE)
    // Only advice: where transparent huge pages are off the block keeps small pages.
    ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
}

void AdviseHugePages(void* block, std::size_t bytes) noexcept
{
#if defined(MADV_HUGEPAGE)
    if (bytes < kHugePageBlockBytes) {
        return;
    }
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t last = (begin + bytes) / kHugePage * kHugePage;
    if (first < last) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)block;
    (void)bytes;
#endif
}

void FreeSampleBlock(void* block, std::size_t bytes) noexcept
{
    if (bytes < kHugePageBlockBytes) {
        ::operator delete(block);
    } else {
        ::operator delete (block, std::align_val_t{kHugePage});
    }
}

} // namespace engine

#include "engine/sample_allocator.h"

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

void FreeSampleBlock(void* block, std::size_t bytes) noexcept
{
    if (bytes < kHugePageBlockBytes) {
        ::operator delete(block);
    } else {
        ::operator delete (block, std::align_val_t{kHugePage});
    }
}

} // namespace engine

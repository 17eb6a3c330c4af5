#pragma once

#include <cstddef>
#include <new>
#include <utility>

// The sample buffer's memory. A long run fills tens to hundreds of megabytes right after the
// buffer grows, and on a fresh buffer the first touch of every page costs more than the run's
// arithmetic. Large blocks therefore ask the system for huge pages, and the run may grow the
// buffer without zeroing records that it is about to write anyway (the first writer of a page
// then pays for it, which spreads that cost over the run's threads).

namespace engine {

// Blocks from this size on are aligned to and backed by huge pages where the system has them.
inline constexpr std::size_t kHugePageBlockBytes = std::size_t{4} << 20;

void* AllocateSampleBlock(std::size_t bytes);
void FreeSampleBlock(void* block, std::size_t bytes) noexcept;

// The same advice for a block that someone else allocated, such as a long text about to be
// written: its whole huge pages, if any, are backed by huge pages where the system has them.
void AdviseHugePages(void* block, std::size_t bytes) noexcept;

// Passed to emplace_back: the element is default-initialised, which leaves a record's fields
// as they are. Every other way of adding elements value-initialises them as usual.
struct UninitialisedElement {};

template <typename T> class SampleAllocator {
public:
    using value_type = T;

    SampleAllocator() = default;
    template <typename U> SampleAllocator(const SampleAllocator<U>& /*other*/) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(AllocateSampleBlock(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeSampleBlock(p, n * sizeof(T)); }

    template <typename U> void construct(U* p, UninitialisedElement /*tag*/) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U> bool operator==(const SampleAllocator<U>& /*other*/) const noexcept
    {
        return true;
    }
};

} // namespace engine

#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
AllocationStats stats;

// The size is kept in front of the block so that delete can account for it.
constexpr size_t header = alignof(std::max_align_t);

void* Allocate(size_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + header));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<size_t*>(block) = size;
    ++stats.allocations;
    stats.liveBytes += size;
    if (stats.liveBytes > stats.peakBytes) {
        stats.peakBytes = stats.liveBytes;
    }
    return block + header;
}

void Release(void* pointer)
{
    if (pointer == nullptr) {
        return;
    }
    unsigned char* block = static_cast<unsigned char*>(pointer) - header;
    stats.liveBytes -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}
}  // namespace

AllocationStats& Allocations()
{
    return stats;
}

void ResetPeak()
{
    stats.peakBytes = stats.liveBytes;
}

void* operator new(size_t size)
{
    return Allocate(size);
}
void* operator new[](size_t size)
{
    return Allocate(size);
}
void operator delete(void* pointer) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    Release(pointer);
}
void operator delete(void* pointer, size_t) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer, size_t) noexcept
{
    Release(pointer);
}

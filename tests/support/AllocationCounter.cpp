// Replaces the global allocation functions of the test executable with counting ones.
#include "AllocationCounter.h"

#include <cstdlib>
#include <new>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace allocation_counter
{
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace allocation_counter

namespace
{
void* allocate(std::size_t size)
{
    if (allocation_counter::counting.load(std::memory_order_relaxed))
        allocation_counter::allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (allocation_counter::counting.load(std::memory_order_relaxed))
        allocation_counter::allocations.fetch_add(1, std::memory_order_relaxed);
#if defined(_WIN32)
    if (void* p = _aligned_malloc(size == 0 ? 1 : size, static_cast<std::size_t>(alignment)))
        return p;
#else
    void* p = nullptr;
    if (posix_memalign(&p, static_cast<std::size_t>(alignment), size == 0 ? 1 : size) == 0)
        return p;
#endif
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate(size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
#if defined(_WIN32)
void operator delete(void* p, std::align_val_t) noexcept
{
    _aligned_free(p);
}
#else
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
#endif
void operator delete[](void* p, std::align_val_t alignment) noexcept
{
    operator delete(p, alignment);
}
void operator delete(void* p, std::size_t, std::align_val_t alignment) noexcept
{
    operator delete(p, alignment);
}
void operator delete[](void* p, std::size_t, std::align_val_t alignment) noexcept
{
    operator delete(p, alignment);
}

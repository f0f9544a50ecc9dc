#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

void* tryAllocate(std::size_t size) noexcept {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

void* allocate(std::size_t size) {
    if (void* p = tryAllocate(size))
        return p;
    throw std::bad_alloc();
}

} // namespace

// Every plain and nothrow form is replaced, so that whatever a library allocates
// here it frees through the matching replacement (the sanitizers check pairs).
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return tryAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return tryAllocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

void AllocationCounter::start() {
    allocations.store(0);
    counting.store(true);
}

std::size_t AllocationCounter::stop() {
    counting.store(false);
    return allocations.load();
}

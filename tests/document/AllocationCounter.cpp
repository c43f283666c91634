#include "document/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool t_counting = false;
thread_local std::size_t t_count = 0;

void* allocate(std::size_t size) {
    if (t_counting) {
        ++t_count;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

namespace alloccount {

void start() {
    t_count = 0;
    t_counting = true;
}

std::size_t stop() {
    t_counting = false;
    return t_count;
}

std::size_t current() {
    return t_count;
}

} // namespace alloccount

void* operator new(std::size_t size) {
    return allocate(size);
}

void* operator new[](std::size_t size) {
    return allocate(size);
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

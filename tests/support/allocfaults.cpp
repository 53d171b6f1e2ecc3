#include "allocfaults.h"
#include <cstdlib>
#include <new>

namespace {
long remaining = 0; // allocations left before the failing one; 0: off
bool failed = false;

bool failNow() {
    if (remaining <= 0) return false;
    if (--remaining > 0) return false;
    failed = true;
    return true;
}

void* allocate(std::size_t n) {
    if (failNow()) throw std::bad_alloc();
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void* allocateNoThrow(std::size_t n) noexcept {
    if (failNow()) return nullptr;
    return std::malloc(n ? n : 1);
}
} // namespace

namespace allocfaults {
FailAt::FailAt(long k) {
    remaining = k;
    failed = false;
}
FailAt::~FailAt() {
    remaining = 0;
}
bool FailAt::hit() const {
    return failed;
}
} // namespace allocfaults

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return allocateNoThrow(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return allocateNoThrow(n);
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

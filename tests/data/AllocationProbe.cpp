// Replaces the global operator new of this test program with a measuring one.
#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> largest{0};
}

void* operator new(size_t n) {
    size_t seen = largest.load();
    while (n > seen && !largest.compare_exchange_weak(seen, n)) {}
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }

void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace vandrel::test {

void resetLargestAllocation() { largest = 0; }

size_t largestAllocation() { return largest.load(); }

} // namespace vandrel::test

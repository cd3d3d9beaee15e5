// bench/allocation_counter.h -- counts every allocation of the process, so a benchmark can
// report how many its work makes. Include it in one file of a benchmark executable only.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long long> allocationCount{0};

void* operator new(size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The replaced operator new takes its memory from malloc, so free is the matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

// base/large_buffers.h -- room for big arrays that a load fills once, backed by huge pages
// where the system offers them; no GL.
#pragma once

#include <cstddef>
#include <vector>

// The size of a huge page, and the alignment a range needs to be backed by them.
constexpr size_t kHugePageBytes = size_t(2) << 20;

// Asks the kernel to back [data, data + bytes) with huge pages. Loading a big model touches
// tens of megabytes of fresh memory once; in small pages that costs a fault every 4 KB,
// which is a third of the load. Only worth it before the memory is first written.
void adviseHugePages(const void* data, size_t bytes);

// Has the kernel back [data, data + bytes) with memory now, in one call, where the range is
// large: the ends of a heap block share their huge pages with its neighbours and fall back to
// small ones, and a fault per small page costs about 12 us in a virtual machine against a
// fraction of that here. For memory that is about to be written whole; advice only.
void populatePages(const void* data, size_t bytes);

// Keeps memory that a load frees for the next allocations instead of handing it back to the
// system, for every thread alike: a load builds and drops several arrays of megabytes, and
// every fresh mapping costs a page fault per page again. Call once at program start; affects
// the whole process.
void keepFreedMemoryForReuse();

// Reserves room for `count` elements and advises huge pages for it when it is large.
// May throw std::bad_alloc as reserve does.
template <class T>
void reserveLarge(std::vector<T>& v, size_t count) {
    if (count <= v.capacity()) return;
    v.reserve(count);
    adviseHugePages(v.data(), count * sizeof(T));
}

// reserveLarge for `count` elements that are all about to be written: the pages are taken at
// once rather than fault by fault.
template <class T>
void reserveToFill(std::vector<T>& v, size_t count) {
    if (count <= v.capacity()) return;
    reserveLarge(v, count);
    populatePages(v.data(), count * sizeof(T));
}

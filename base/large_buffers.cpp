// base/large_buffers.cpp -- huge-page advice for big, freshly allocated buffers; no GL.
#include "base/large_buffers.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void adviseHugePages(const void* data, size_t bytes) {
    if (data == nullptr || bytes < kHugePageBytes) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePageBytes - 1);
    if (end <= begin) return;
    // Advice only: where huge pages are off or the range is not ours to advise, nothing changes.
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void populatePages(const void* data, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    constexpr size_t kWorthACall = size_t(64) << 10;
    constexpr uintptr_t kPage = 4096;
    if (data == nullptr || bytes < kWorthACall) return;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes + kPage - 1) & ~(kPage - 1);
    // Before Linux 5.14 this fails and the pages come fault by fault, as they did.
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

void keepFreedMemoryForReuse() {
    // Blocks up to 32 MB (the most glibc allows) come from the heap rather than mappings of
    // their own, and up to 256 MB of freed heap stays in the process.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    // One heap for every thread: the meshes analysed on other threads then reuse what the load
    // freed before (the file's bytes) instead of touching fresh memory of an arena of their own.
    // They allocate a few large blocks each, so sharing the heap's lock costs nothing.
    mallopt(M_ARENA_MAX, 1);
}

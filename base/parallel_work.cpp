// base/parallel_work.cpp -- independent pieces of one job spread over the processor's cores; no GL.
#include "base/parallel_work.h"

#include "base/debug_log.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {
std::atomic<bool> spreadingAllowed{true};
}

void allowSpreading(bool allowed) { spreadingAllowed = allowed; }

void forEachIndex(size_t count, bool spread, const std::function<void(size_t)>& work) {
    spread = spread && spreadingAllowed;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = spread ? std::min(cores, count) - (count > 0 ? 1 : 0) : 0;
    std::atomic<size_t> next{0};
    const auto takeIndices = [&] {
        for (size_t i = next++; i < count; i = next++) work(i);
    };
    std::vector<std::thread> threads;
    try {
        threads.reserve(helpers);
        for (size_t t = 0; t < helpers; ++t) threads.emplace_back(takeIndices);
    } catch (const std::exception&) {
        // Fewer threads than asked for (none, at worst): the calling thread takes what is left.
    }
    takeIndices();
    for (std::thread& thread : threads) thread.join();
}

void forEachIndexLoggedInOrder(size_t count, bool spread, const std::function<void(size_t)>& work) {
    std::vector<std::string> held(count);
    forEachIndex(count, spread, [&](size_t i) {
        ThreadLogHold hold(held[i]);
        work(i);
    });
    for (size_t i = 0; i < count; ++i) {
        if (!held[i].empty()) logText(held[i]);
        std::string().swap(held[i]);
    }
}

// base/parallel_work.h -- independent pieces of one job spread over the processor's cores; no GL.
#pragma once

#include <cstddef>
#include <functional>

// Calls work(i) once for every i in [0, count) and returns when all calls are done. With
// `spread`, the calls run on up to as many threads as the processor has cores (the calling
// thread among them); without it, or where no thread can be started, in order on the calling
// thread. `work` must not throw, and calls for different indices must touch different data.
void forEachIndex(size_t count, bool spread, const std::function<void(size_t)>& work);

// Turns spreading off (or on again) for the whole process, as if every caller passed false:
// the result must be the same, which the tests compare.
void allowSpreading(bool allowed);

// forEachIndex for work that logs: each index's log lines are held back and written after the
// calls, in index order, as the calls would have written them one after another.
void forEachIndexLoggedInOrder(size_t count, bool spread, const std::function<void(size_t)>& work);

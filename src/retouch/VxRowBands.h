#pragma once
// Whole-image passes whose rows can be computed independently run on two
// threads: the lower band on a helper thread, the upper band on the caller's.
// The split never changes a result: each band computes its rows exactly as a
// single pass would.

#include <cstdint>
#include <functional>

// Receives the number of rows of one band finished so far.
using TVxRowsDoneFn = std::function<void(int32_t)>;
// Computes rows [first, end) and tells rowsDone as it goes (never empty).
using TVxRowWorkFn = std::function<void(int32_t first, int32_t end, const TVxRowsDoneFn &rowsDone)>;

// Runs work over rows [0, height) of an image width pixels wide, in two bands
// when the image is large enough to be worth a thread. progress, when given,
// is called on the calling thread only with the rows of both bands finished so
// far (not necessarily rising by one, possibly repeating a value). An exception
// from either band reaches the caller after both have stopped.
void SplitRows(int32_t height, int32_t width, const TVxRowWorkFn &work,
               const TVxRowsDoneFn &progress);

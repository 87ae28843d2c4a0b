#include "retouch/VxRowBands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(RowBands, EveryRowOnceAndProgressOnTheCallingThreadOnly) {
  struct TCase {
    int32_t Height, Width;
  };
  // Too small to split, just large enough, and odd heights.
  const TCase cases[] = {{1, 1}, {15, 100000}, {16, 8192}, {1001, 1000}, {4099, 33}};
  for (const TCase &c : cases) {
    std::vector<std::atomic<int32_t>> visits(static_cast<size_t>(c.Height));
    const std::thread::id caller = std::this_thread::get_id();
    int32_t last = 0;
    SplitRows(
        c.Height, c.Width,
        [&](int32_t first, int32_t end, const TVxRowsDoneFn &rowsDone) {
          for (int32_t y = first; y < end; ++y) {
            ++visits[static_cast<size_t>(y)];
            rowsDone(y + 1 - first);
          }
        },
        [&](int32_t rows) {
          EXPECT_EQ(std::this_thread::get_id(), caller);
          EXPECT_GE(rows, last);
          EXPECT_LE(rows, c.Height);
          last = rows;
        });
    EXPECT_EQ(last, c.Height) << c.Height << "x" << c.Width;
    for (const auto &v : visits) ASSERT_EQ(v.load(), 1) << c.Height << "x" << c.Width;
  }
}

TEST(RowBands, AFailureInEitherBandReachesTheCallerAfterBothStopped) {
  for (bool lowerFails : {true, false}) {
    std::atomic<int32_t> running{0};
    auto work = [&](int32_t first, int32_t end, const TVxRowsDoneFn &) {
      ++running;
      bool lower = first > 0;
      bool alone = first == 0 && end == 1000;  // a machine with one core
      if (alone || lower == lowerFails) {
        --running;
        throw std::runtime_error("no memory for the band");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      --running;
    };
    EXPECT_THROW(SplitRows(1000, 1000, work, {}), std::runtime_error);
    EXPECT_EQ(running.load(), 0);
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "toolkit/portable/Wheel.h"

namespace {

// Deltas in order, and the notches each message completes.
TEST(WheelNotches, CountsWholeNotchesAndKeepsTheRestOfOneDirection) {
  const std::vector<std::vector<std::pair<int, int>>> runs = {
      {{120, 1}, {-120, -1}, {360, 3}, {-240, -2}},
      {{40, 0}, {40, 0}, {40, 1}, {-30, 0}, {-90, -1}},
      {{100, 0}, {-100, 0}, {-20, -1}},  // the turn back drops the 100
      {{250, 2}, {-10, 0}, {10, 0}, {110, 1}},
      {{-32768, -273}, {-32768, -273}, {32767, 273}},
      {{0, 0}, {1, 0}, {0, 0}, {119, 1}}};
  for (const auto& run : runs) {
    tk::WheelNotches wheel;
    for (const auto& [delta, notches] : run) EXPECT_EQ(wheel.Take(delta), notches) << delta;
  }
}

}  // namespace

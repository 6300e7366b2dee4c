// The mouse wheel in whole notches of 120 units (WHEEL_DELTA). A fine-grained
// wheel sends less than a notch a message: the rest waits for the next message
// in the same direction, and a turn the other way starts afresh.
#pragma once

namespace tk {

constexpr int kWheelNotch = 120;

class WheelNotches {
 public:
  // Adds one message's delta; returns the whole notches completed, signed as
  // the delta.
  int Take(int delta);

 private:
  int rest_ = 0;
};

}  // namespace tk

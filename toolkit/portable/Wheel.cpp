#include "toolkit/portable/Wheel.h"

namespace tk {

int WheelNotches::Take(int delta) {
  if ((delta > 0 && rest_ < 0) || (delta < 0 && rest_ > 0)) rest_ = 0;
  // In 64 bits: the caller's delta may be any int.
  const long long sum = static_cast<long long>(rest_) + delta;
  const long long notches = sum / kWheelNotch;  // towards zero: the rest keeps the sign
  rest_ = static_cast<int>(sum - notches * kWheelNotch);
  return static_cast<int>(notches);
}

}  // namespace tk

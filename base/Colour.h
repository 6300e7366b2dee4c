// A colour of a palette or colour table, as the decoders and GDI's palettes
// both take it.
#pragma once

#include <cstdint>

namespace base {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb x, Rgb y) { return x.r == y.r && x.g == y.g && x.b == y.b; }
  friend bool operator!=(Rgb x, Rgb y) { return !(x == y); }
};

}  // namespace base

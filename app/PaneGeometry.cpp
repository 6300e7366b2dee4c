#include "app/PaneGeometry.h"

#include <cstdint>

namespace {

constexpr std::int64_t kBoxWidth = 352;
constexpr std::int64_t kBoxHeight = 424;
constexpr int kBorder = 8;  // two 2-pixel bevels on each side

// num / den rounded to the nearest integer, halves to the even neighbour;
// exact, so a picture exactly as wide as the box's ratio rounds like the text says.
std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den) {
  const std::int64_t q = num / den, twice = 2 * (num % den);
  if (twice > den || (twice == den && (q & 1))) return q + 1;
  return q;
}

}  // namespace

PaneSize FitPane(int w, int h, bool stretch) {
  if (!stretch) return PaneSize{w + kBorder, h + kBorder, w, h};
  // W / H > 352 / 424, compared without rounding.
  if (std::int64_t{w} * kBoxHeight > std::int64_t{h} * kBoxWidth) {
    const int fitted = static_cast<int>(RoundHalfEven(kBoxWidth * h, w)) + 1;
    return PaneSize{static_cast<int>(kBoxWidth) + kBorder, fitted + kBorder,
                    static_cast<int>(kBoxWidth), fitted};
  }
  const int fitted = static_cast<int>(RoundHalfEven(kBoxHeight * w, h)) + 1;
  return PaneSize{fitted + kBorder, static_cast<int>(kBoxHeight) + kBorder, fitted,
                  static_cast<int>(kBoxHeight)};
}

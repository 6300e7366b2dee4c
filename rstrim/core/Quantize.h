// Colour reduction: an optimal palette from the picture's colours (Wu's
// variance-minimising box cuts), nearest-colour lookup and Floyd-Steinberg
// error diffusion.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "rstrim/core/DibTarget.h"

namespace rstrim {

// The 16 standard VGA colours in the Windows order (black, maroon, ... white).
const std::vector<Rgb>& VgaPalette();

// Colour histogram at 5 bits per channel with the moments Wu's method needs.
class WuQuantizer {
 public:
  WuQuantizer();
  ~WuQuantizer();
  void Add(Rgb c, uint32_t weight = 1);
  // Up to maxColours representative colours (fewer when the picture has fewer).
  std::vector<Rgb> Palette(int maxColours);

 private:
  struct Moments;
  std::unique_ptr<Moments> m_;
};

// Index of the palette colour closest to a colour (squared RGB distance), with
// a cache so that photos with millions of pixels map quickly. The coarse form
// answers for cells of 4x4x4 colours (from the cell's centre): good enough
// where diffusion carries the remaining error on, and far fewer searches.
class NearestColour {
 public:
  explicit NearestColour(const std::vector<Rgb>& palette, bool coarse = false);
  int Find(int r, int g, int b);

 private:
  struct Entry {
    uint32_t key = 0;  // colour + 1 << 24 when valid
    uint8_t index = 0;
  };
  struct Sorted {
    int r, g, b, index;
  };
  int Search(int r, int g, int b) const;
  std::vector<Sorted> byGreen_;  // palette sorted by green, for an early stop
  std::vector<Entry> cache_;
  std::vector<int16_t> cells_;  // coarse form: 64^3 cells, -1 = not searched yet
};

// Distinct colours of a picture, collected only while there are at most `limit`.
class ColourSet {
 public:
  explicit ColourSet(int limit);
  // False once more than `limit` distinct colours were seen.
  bool Add(Rgb c);
  bool Overflowed() const { return overflow_; }
  const std::vector<Rgb>& Colours() const { return colours_; }
  // Index of a colour in Colours(); the colour must have been added.
  int IndexOf(Rgb c) const;

 private:
  size_t Slot(Rgb c) const;
  int limit_;
  bool overflow_ = false;
  std::vector<Rgb> colours_;
  std::vector<int16_t> table_;  // open addressing, -1 = empty
};

// Floyd-Steinberg diffusion onto a fixed palette, one row at a time, top to
// bottom, alternating direction per row.
class FloydSteinberg {
 public:
  FloydSteinberg(int width, const std::vector<Rgb>& palette);
  // rgb: width*3 bytes (r, g, b); out: width palette indices.
  void Row(const uint8_t* rgb, uint8_t* out);

 private:
  int width_;
  NearestColour nearest_;
  std::vector<Rgb> palette_;
  std::vector<int> cur_, next_;  // errors * 16, (width + 2) * 3 each
  bool leftToRight_ = true;
};

}  // namespace rstrim

// Between a decoder and the caller's bitmap: takes the rows a decoder produces
// (in the file's own orientation and pixel form) and turns them into the
// requested depth, upright. 24-bit output from a BGR decoder with no rotation
// goes straight into the target's rows; indexed output that needs a new palette
// is collected first, because the palette depends on the whole picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rstrim/core/ColourProfile.h"
#include "rstrim/core/DibTarget.h"
#include "rstrim/core/Result.h"

namespace rstrim {

constexpr size_t kMaxBitmapBytes = size_t{512} << 20;

struct DecodeOptions {
  // 24, 8, 4 or 1 bits per pixel; 0 = 4 bits with the 16 standard VGA colours.
  int resolution = 24;
  bool dither = true;
  // A picture whose bitmap needs more is refused before any large allocation.
  size_t maxBitmapBytes = kMaxBitmapBytes;
  // Limit for buffers beside the bitmap (whole-picture buffer for palette search).
  size_t maxWorkBytes = size_t{1} << 30;
  // When not empty, palette output uses these colours instead of choosing its own.
  std::vector<Rgb> fixedPalette;
  // JPEG only: decode at 1/1, 1/2, 1/4 or 1/8 size.
  int jpegScale = 1;
};

enum class PixelFormat { kBgr24, kIndexed };

struct ImageLayout {
  int width = 0;   // as stored
  int height = 0;  // as stored
  PixelFormat format = PixelFormat::kBgr24;
  std::vector<Rgb> palette;  // kIndexed: 1 to 256 colours
  int orientation = 1;       // EXIF/TIFF orientation 1..8
  // The picture's embedded profile, when its colours are not sRGB: a colour
  // table is converted at Begin, B G R rows as each is done.
  ColourTransformPtr colours;
};

class PixelSink {
 public:
  PixelSink(const DecodeOptions& options, DibTarget& target);
  PixelSink(const PixelSink&) = delete;
  PixelSink& operator=(const PixelSink&) = delete;

  // Checks sizes and allocates the target. Must come before any Row().
  Result Begin(const ImageLayout& layout);
  // Buffer for stored row y: width*3 bytes (B, G, R) or width index bytes.
  uint8_t* Row(int y);
  // The decoder has filled Row(y).
  void RowDone(int y);
  // Whether rows keep their contents until Finish (interlaced formats need it).
  bool PersistentRows() const;
  // Completes palette output once every row is in.
  Result Finish();

  const ImageLayout& Layout() const { return layout_; }

 private:
  enum class Mode { kDirect, kExpand, kPack, kCollect };

  void Place(int y, const uint8_t* src);
  void WriteIndex(int x, int y, int index);
  Result ReducePaletteSource();
  Result ReduceRgbSource();
  void WriteMapped(const std::vector<uint8_t>& map);
  void WriteDithered(const std::vector<Rgb>& palette);
  void WriteNearest(const std::vector<Rgb>& palette);
  void WriteExact(const class ColourSet& set);
  const uint8_t* CollectedRow(int y) const;
  void CollectedRgb(int y, uint8_t* rgb) const;

  const DecodeOptions& options_;
  DibTarget& target_;
  ImageLayout layout_;
  Mode mode_ = Mode::kDirect;
  int depth_ = 24;    // bits per pixel of the target
  int outWidth_ = 0;  // upright size
  int outHeight_ = 0;
  int pixelBytes_ = 3;                           // of the decoder's rows
  const ColourTransform* rowColours_ = nullptr;  // B G R rows to convert; layout_ owns it
  std::vector<Rgb> fullPalette_;                 // 256 entries, so any index byte is safe
  std::vector<uint8_t> scratch_;
  std::vector<uint8_t> collected_;  // kCollect: upright picture in the decoder's pixel form
};

// Maps a stored pixel position to its upright position for an orientation.
void OrientPoint(int orientation, int width, int height, int x, int y, int* ux, int* uy);

// The resolution codes the library accepts, normalised: 0 stays 0 (VGA), 1 -> 1,
// 2..4 -> 4, 5..8 -> 8, larger -> 24. Negative codes are refused.
bool NormaliseResolution(int code, int* resolution);

}  // namespace rstrim

// Writers for test pictures in every format the library reads. JPEG, PNG, GIF
// and TIFF go through their reference libraries; BMP and PCX are written here.
// Shared by the native tests, the Wine tests, the fuzz seed corpus and the
// benchmark, so that no sample files live in the repository.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rstrim/core/DibTarget.h"

namespace fixtures {

using Bytes = std::vector<uint8_t>;
using rstrim::Rgb;

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Smooth colour ramps with a few hard edges.
Picture Gradient(int width, int height);
// Natural-looking content: soft blobs, texture and mild noise (deterministic).
Picture Photo(int width, int height, uint32_t seed = 1);
// An index picture using `colours` palette entries, and its palette.
std::vector<uint8_t> Indices(int width, int height, int colours);
std::vector<Rgb> TestPalette(int colours);

// ---- JPEG
enum class JpegColour { kRgb, kGrey, kAdobeCmyk, kAdobeYcck };
struct JpegSpec {
  int quality = 90;
  bool progressive = false;
  JpegColour colour = JpegColour::kRgb;
  int orientation = 0;  // EXIF orientation tag, 0 = no EXIF block
};
Bytes EncodeJpeg(const Picture& p, const JpegSpec& layout);

// ---- PNG
struct PngSpec {
  int colourType = 2;  // PNG colour type numbers
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<Rgb> palette;
  std::vector<uint8_t> trnsAlpha;  // palette images
  bool trnsColour = false;         // grey / RGB images
  uint16_t trnsGrey = 0, trnsRed = 0, trnsGreen = 0, trnsBlue = 0;
  bool bkgd = false;
  uint16_t bkgdGrey = 0, bkgdRed = 0, bkgdGreen = 0, bkgdBlue = 0;
  uint8_t bkgdIndex = 0;
};
// samples: width*height*channels values within the bit depth.
Bytes EncodePng(int width, int height, const PngSpec& layout, const std::vector<uint16_t>& samples);
Bytes EncodePngRgb(const Picture& p, bool interlaced = false);

// ---- GIF
struct GifSpec {
  int screenWidth = 0, screenHeight = 0;
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  std::vector<Rgb> globalMap;  // empty = none
  std::vector<Rgb> localMap;   // empty = none
  int background = 0;
  int transparent = -1;
  int extraFrames = 0;
  bool gif89 = true;
};
Bytes EncodeGif(const GifSpec& layout, const std::vector<uint8_t>& indices);

// ---- TIFF
struct TiffSpec {
  int width = 0, height = 0;
  int photometric = 2;  // libtiff PHOTOMETRIC_* values
  int bitsPerSample = 8;
  int samplesPerPixel = 3;
  int sampleFormat = 1;  // SAMPLEFORMAT_* values
  int compression = 1;   // COMPRESSION_* values
  int orientation = 1;
  int rowsPerStrip = 0;  // 0 = libtiff's default
  bool tiled = false;
  bool separatePlanes = false;
  std::vector<uint16_t> colourMap;  // 3 * 2^bits entries for palette pictures
  int pages = 1;
  int jpegQuality = 90;
};
// rows: packed scan lines as libtiff takes them (contiguous samples, host-order 16-bit).
Bytes EncodeTiff(const TiffSpec& layout, const Bytes& rows);

// ---- BMP
struct BmpSpec {
  int headerSize = 40;  // 12, 40, 52, 56, 108, 124
  int bpp = 24;
  bool rle = false;  // RLE8 for 8 bits, RLE4 for 4 bits
  bool bitfields = false;
  uint32_t masks[3] = {0, 0, 0};
  bool topDown = false;
  int coloursUsed = 0;  // 0 = full table
};
Bytes EncodeBmp(int width, int height, const BmpSpec& layout, const std::vector<uint8_t>& indices,
                const std::vector<Rgb>& palette, const Picture* truecolour = nullptr);

// ---- PCX
struct PcxSpec {
  int version = 5;
  int bitsPerPixel = 8;
  int planes = 1;
  bool rle = true;
  int extraLineBytes = 0;  // padding beyond the minimum bytes per line (odd lengths)
};
Bytes EncodePcx(int width, int height, const PcxSpec& layout, const std::vector<uint8_t>& indices,
                const std::vector<Rgb>& palette, const Picture* truecolour = nullptr);

bool WriteFile(const std::string& path, const Bytes& data);

}  // namespace fixtures

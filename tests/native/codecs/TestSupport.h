// Helpers shared by the decoding-core tests.
#pragma once

#include <string>

#include "rstrim/core/Rstrim.h"
#include "tests/native/codecs/Fixtures.h"

namespace testing_rstrim {

using fixtures::Bytes;
using fixtures::Picture;
using rstrim::Rgb;

struct Decoded {
  rstrim::Result result = rstrim::kGeneralFailure;
  rstrim::MemoryDib bitmap;
};

Decoded DecodeBytes(rstrim::Format format, const Bytes& data, int resolution = 24,
                    bool dither = false);
rstrim::Result Info(const Bytes& data, rstrim::ImageInfo* info);

// Largest per-channel difference between the decoded picture and the expected one.
int MaxError(const rstrim::MemoryDib& bmp, const Picture& expected);
// Mean absolute per-channel difference.
double MeanError(const rstrim::MemoryDib& bmp, const Picture& expected);
// Mean difference after averaging both over blocks of size n (what the eye sees of dithering).
double BlockMeanError(const rstrim::MemoryDib& bmp, const Picture& expected, int n);
// The decoded picture as colours.
Picture ToPicture(const rstrim::MemoryDib& bmp);
// Picture from indices and a palette.
Picture FromIndices(int width, int height, const std::vector<uint8_t>& idx,
                    const std::vector<Rgb>& pal);
// The upright picture a file with this EXIF/TIFF orientation shows.
Picture Oriented(const Picture& stored, int orientation);

std::string TempPath(const std::string& name);

}  // namespace testing_rstrim

// Helpers shared by the decoding-core tests: the pictures under tests/data,
// their reference pictures, and how far a decoded bitmap is from one.
#pragma once

#include <string>
#include <vector>

#include "rstrim/core/Rstrim.h"

namespace testing_rstrim {

using Bytes = std::vector<uint8_t>;
using rstrim::Rgb;

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Decoded {
  rstrim::Result result = rstrim::kGeneralFailure;
  rstrim::MemoryDib bitmap;
};

// A file of tests/data, whole; empty when missing.
Bytes ReadData(const std::string& name);
// A reference picture of tests/data: a binary PGM or PPM named ref-*, else what
// another test picture shows at 24 bits.
Picture ReadReference(const std::string& name);
// The decoder for a picture, by its first bytes.
rstrim::Format FormatOf(const Bytes& data);

Decoded DecodeBytes(rstrim::Format format, const Bytes& data, int resolution = 24,
                    bool dither = false);
Decoded DecodeData(const std::string& name, int resolution = 24, bool dither = false);
rstrim::Result Info(const Bytes& data, rstrim::ImageInfo* info);

// Largest per-channel difference between the decoded picture and the expected one.
int MaxError(const rstrim::MemoryDib& bmp, const Picture& expected);
// Mean difference after averaging both over blocks of size n (n > 1: what the eye sees of
// dithering).
double MeanError(const rstrim::MemoryDib& bmp, const Picture& expected, int n = 1);
Picture ToPicture(const rstrim::MemoryDib& bmp);
// The upright picture a file with this EXIF/TIFF orientation shows.
Picture Oriented(const Picture& stored, int orientation);

std::string TempPath(const std::string& name);
// Writes the bytes as TempPath(name); returns that path.
std::string WriteTemp(const std::string& name, const Bytes& data);

}  // namespace testing_rstrim

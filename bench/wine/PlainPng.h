// Plain libpng decoding, the way any program would call it, compiled twice
// from PlainPng.inc: against the product's libpng (SSE filters) and against
// the reference libpng built with its own default flags (names lumosref_).
#pragma once

#include <cstdint>
#include <vector>

namespace plain_png {

struct Image {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rows;  // rows as libpng gives them: palette expanded, B G R order
};

bool DecodeProduct(const char* path, Image* image);
bool DecodeReference(const char* path, Image* image);

}  // namespace plain_png

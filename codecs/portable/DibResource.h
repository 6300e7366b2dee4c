// The layout of a bitmap resource (a DIB without its file header): where its
// colour table and pixel bits lie, and its colours. Every size and offset is
// checked against the resource's own size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Colour.h"

namespace codecs {

struct DibLayout {
  std::uint32_t headerSize = 0;  // 12 for the OS/2 core header, else 40, 52, 56, 108 or 124
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows top-down
  unsigned bitCount = 0;    // 1, 4, 8, 16, 24 or 32
  std::size_t tableOffset = 0;
  std::size_t tableEntries = 0;  // 0..256
  std::size_t entrySize = 4;     // 3 for the core header's RGB triples
  std::size_t bitsOffset = 0;
  std::size_t bitsSize = 0;
  // Bit-field masks (red, green, blue) of a 16- or 32-bit picture; all 0 for BI_RGB.
  bool bitFields = false;
  std::uint32_t masks[3] = {0, 0, 0};
  // The table's colours; empty when there is no table of 1 to 256 entries.
  std::vector<base::Rgb> colours;
};

// False for anything that is not a complete uncompressed (or bit-field)
// DIB lying wholly inside the size bytes at data.
bool ParseDibResource(const std::uint8_t* data, std::size_t size, DibLayout& layout);

}  // namespace codecs

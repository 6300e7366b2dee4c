// The header of a device-independent bitmap, as icons, metafile records and
// bitmap resources carry it, and how many bytes the bitmap's colour table and
// pixels take. No Windows headers: the parsers of untrusted files build on it
// and are tested and fuzzed anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tk {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;

struct DibHeader {
  std::uint32_t headerSize = 0;  // 12 for the OS/2 core header, else 40 to 124
  std::int32_t width = 0;
  std::int32_t height = 0;  // as stored: negative when the rows run top-down
  unsigned bitCount = 0;    // 1, 4, 8, 16, 24 or 32
  std::uint32_t compression = kBiRgb;
  std::uint32_t masksSize = 0;     // bit-field masks after a 40-byte header
  std::uint32_t entrySize = 4;     // 3 for the core header's RGB triples
  std::uint32_t tableEntries = 0;  // 0 to 256
  std::uint64_t stride = 0;        // bytes per row of uncompressed pixels
  std::uint64_t rows = 0;          // height without sign (and without an icon's mask)
  std::uint64_t bitsSize = 0;      // pixel bytes: every row, or the compressed size

  std::uint64_t TableOffset() const { return std::uint64_t{headerSize} + masksSize; }
  std::uint64_t BitsOffset() const {
    return TableOffset() + std::uint64_t{tableEntries} * entrySize;
  }
  std::uint64_t TotalSize() const { return BitsOffset() + bitsSize; }
};

// Reads the header at p, of which avail bytes are at hand (the table and the
// pixels may lie elsewhere). False unless it is a sound header: one plane, a
// known depth and compression, 1 to 65535 pixels a side, a table of at most
// 2^depth (and never more than 256) colours. An icon image counts its mask's
// rows in its height: heightDivisor 2 leaves them out.
bool ReadDibHeader(const std::uint8_t* p, std::size_t avail, DibHeader& h, int heightDivisor = 1);

}  // namespace tk

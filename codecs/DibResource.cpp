#include "codecs/DibResource.h"

#include <utility>

namespace codecs {
namespace {

constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kRgb = 0;        // BI_RGB
constexpr std::uint32_t kBitFields = 3;  // BI_BITFIELDS
constexpr std::int64_t kMaxSide = 32767;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool KnownInfoHeader(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool KnownBitCount(unsigned bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Fields of the core header; its table, if any, is 2^bits RGB triples.
bool ReadCoreHeader(const std::uint8_t* data, DibLayout& l, std::uint64_t& entries) {
  l.width = U16(data + 4);
  l.height = U16(data + 6);
  l.bitCount = U16(data + 10);
  if (U16(data + 8) != 1 || l.bitCount == 16 || l.bitCount == 32) return false;
  l.entrySize = 3;
  entries = l.bitCount == 24 ? 0 : (std::uint64_t{1} << l.bitCount);
  l.tableOffset = kCoreHeader;
  return true;
}

// Fields of a Windows header; a bit-field mask triple follows a 40-byte one.
bool ReadInfoHeader(const std::uint8_t* data, std::size_t size, DibLayout& l,
                    std::uint64_t& entries) {
  l.width = static_cast<std::int32_t>(U32(data + 4));
  l.height = static_cast<std::int32_t>(U32(data + 8));
  l.bitCount = U16(data + 14);
  const std::uint32_t compression = U32(data + 16);
  const std::uint32_t used = U32(data + 32);
  if (U16(data + 12) != 1) return false;
  if (compression != kRgb && !(compression == kBitFields && (l.bitCount == 16 || l.bitCount == 32)))
    return false;
  l.entrySize = 4;
  l.bitFields = compression == kBitFields;
  if (l.bitFields) {
    // Inside the larger headers, right after the 40-byte one: byte 40 either way.
    if (l.headerSize == kInfoHeader && size < kInfoHeader + 12) return false;
    for (int i = 0; i < 3; ++i) l.masks[i] = U32(data + 40 + 4 * i);
  }
  if (l.bitCount <= 8) {
    const std::uint64_t max = std::uint64_t{1} << l.bitCount;
    if (used > max) return false;
    entries = used ? used : max;
  } else {
    // Deep bitmaps may carry a table of colours to prefer on palette devices.
    if (used > 256) return false;
    entries = used;
  }
  const std::uint64_t masks = (compression == kBitFields && l.headerSize == kInfoHeader) ? 12 : 0;
  l.tableOffset = static_cast<std::size_t>(l.headerSize + masks);
  return true;
}

}  // namespace

bool ParseDibResource(const std::uint8_t* data, std::size_t size, DibLayout& layout) {
  layout = DibLayout();
  if (!data || size < 4) return false;
  DibLayout l;
  l.headerSize = U32(data);
  std::uint64_t entries = 0;
  if (l.headerSize == kCoreHeader) {
    if (size < kCoreHeader || !ReadCoreHeader(data, l, entries)) return false;
  } else if (KnownInfoHeader(l.headerSize)) {
    if (size < l.headerSize || !ReadInfoHeader(data, size, l, entries)) return false;
  } else {
    return false;
  }
  if (!KnownBitCount(l.bitCount)) return false;
  const std::int64_t rows = l.height < 0 ? -static_cast<std::int64_t>(l.height) : l.height;
  if (l.width <= 0 || rows <= 0 || l.width > kMaxSide || rows > kMaxSide) return false;

  const std::uint64_t stride = ((static_cast<std::uint64_t>(l.width) * l.bitCount + 31) / 32) * 4;
  const std::uint64_t bitsOffset = l.tableOffset + entries * l.entrySize;
  const std::uint64_t bitsSize = stride * static_cast<std::uint64_t>(rows);
  if (bitsOffset > size || bitsSize > size - bitsOffset) return false;

  l.tableEntries = static_cast<std::size_t>(entries);
  l.bitsOffset = static_cast<std::size_t>(bitsOffset);
  l.bitsSize = static_cast<std::size_t>(bitsSize);
  if (entries >= 1 && entries <= 256) {
    l.colours.resize(l.tableEntries);
    for (std::size_t i = 0; i < l.tableEntries; ++i) {
      // Blue, green, red in both entry kinds; the quad's fourth byte is reserved.
      const std::uint8_t* e = data + l.tableOffset + i * l.entrySize;
      l.colours[i] = DibColour{e[2], e[1], e[0]};
    }
  }
  layout = std::move(l);
  return true;
}

}  // namespace codecs

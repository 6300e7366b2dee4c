#include "codecs/portable/DibResource.h"

#include <utility>

#include "base/ByteOrder.h"
#include "toolkit/portable/DibHeader.h"

namespace codecs {
namespace {

// GDI makes resource bitmaps from these headers only, and no side of them
// may exceed what a 16-bit coordinate holds.
bool KnownHeader(std::uint32_t size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}
constexpr std::int64_t kMaxSide = 32767;

}  // namespace

bool ParseDibResource(const std::uint8_t* data, std::size_t size, DibLayout& layout) {
  layout = DibLayout();
  tk::DibHeader h;
  if (!tk::ReadDibHeader(data, size, h) || !KnownHeader(h.headerSize)) return false;
  if (h.compression != tk::kBiRgb && h.compression != tk::kBiBitFields) return false;
  if (h.width > kMaxSide || h.rows > kMaxSide) return false;
  if (h.TotalSize() > size) return false;

  DibLayout l;
  l.headerSize = h.headerSize;
  l.width = h.width;
  l.height = h.height;
  l.bitCount = h.bitCount;
  l.tableOffset = static_cast<std::size_t>(h.TableOffset());
  l.tableEntries = h.tableEntries;
  l.entrySize = h.entrySize;
  l.bitsOffset = static_cast<std::size_t>(h.BitsOffset());
  l.bitsSize = static_cast<std::size_t>(h.bitsSize);
  l.bitFields = h.compression == tk::kBiBitFields;
  if (l.bitFields) {
    // Right after the 40-byte header, inside the larger ones: byte 40 either way.
    for (int i = 0; i < 3; ++i) l.masks[i] = base::Le32(data + 40 + 4 * i);
  }
  l.colours.resize(l.tableEntries);
  for (std::size_t i = 0; i < l.tableEntries; ++i) {
    // Blue, green, red in both entry kinds; the quad's fourth byte is reserved.
    const std::uint8_t* e = data + l.tableOffset + i * l.entrySize;
    l.colours[i] = base::Rgb{e[2], e[1], e[0]};
  }
  layout = std::move(l);
  return true;
}

}  // namespace codecs

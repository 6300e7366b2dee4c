// Windows metafiles (standard, with or without the placeable header) and
// enhanced metafiles, checked record by record before GDI plays any of them:
// every record is one GDI knows, at least as long as its fixed layout, and
// every count, offset and embedded bitmap lies inside the record.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tk {

enum class MetafileKind { kWindows, kPlaceable, kEnhanced };

struct Metafile {
  MetafileKind kind = MetafileKind::kWindows;
  // The bytes to hand to GDI: the standard metafile after a placeable header,
  // up to its end record; the whole enhanced metafile.
  std::size_t offset = 0;
  std::size_t length = 0;
  // Standard metafiles: the last window extent set, as absolute values; 0 if none.
  int windowExtX = 0, windowExtY = 0;
  // Placeable header: the picture's size in units of which unitsPerInch make an inch.
  int boxWidth = 0, boxHeight = 0, unitsPerInch = 0;
  // Enhanced metafiles: the bounds in device units and the frame in 0.01 mm,
  // both inclusive, as left, top, right, bottom.
  std::int32_t bounds[4] = {0, 0, 0, 0};
  std::int32_t frame[4] = {0, 0, 0, 0};
};

// False unless data holds a metafile whose every record passes.
bool ParseMetafile(const std::uint8_t* data, std::size_t size, Metafile& m);

}  // namespace tk

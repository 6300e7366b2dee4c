// The toolkit's readers of icon and metafile bytes. The portable parsers
// (toolkit/portable/IconParser.h, MetafileParser.h) check every size, offset and record first; only
// what they accept reaches GDI. Like the rest of the toolkit they raise: EInvalidGraphic for bytes
// they refuse.
#pragma once
#include <cstddef>
#include <cstdint>

#include "toolkit/Picture.h"

namespace tk {

// The image the system picks for a 32 x 32 icon, at its own size.
Picture ReadIcon(const std::uint8_t* data, std::size_t size);

// A standard (with or without the placeable header) or enhanced metafile,
// sized by its header on the screen.
Picture ReadMetafile(const std::uint8_t* data, std::size_t size);

}  // namespace tk

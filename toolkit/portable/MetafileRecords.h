// Shared by the standard and the enhanced metafile checks.
#pragma once
#include <cstddef>
#include <cstdint>

#include "toolkit/portable/MetafileParser.h"

namespace tk {

// Whether len bytes from off lie inside a block of size bytes.
inline bool Inside(std::uint64_t off, std::uint64_t len, std::uint64_t size) {
  return off <= size && len <= size - off;
}

// A DIB whose header and colour table lie in the size bytes at p and whose
// pixels need at most bitsRoom bytes. Records that send only some rows (the
// scan count of SETDIBTODEV) still carry all of them: GDI copies the whole
// picture when it converts or records such a record.
bool DibFits(const std::uint8_t* p, std::size_t size, std::uint64_t bitsRoom);
// A DIB whose pixels follow its colour table inside the same size bytes.
bool PackedDibFits(const std::uint8_t* p, std::size_t size);

bool ParseWindowsMetafile(const std::uint8_t* data, std::size_t size, Metafile& m);
bool ParseEnhancedMetafile(const std::uint8_t* data, std::size_t size, Metafile& m);

}  // namespace tk

// libFuzzer entry for the picture parsers: one binary per parser (FUZZ_PARSER
// names it). Whatever a parser accepts must lie inside the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/portable/DibResource.h"
#include "toolkit/portable/IconParser.h"
#include "toolkit/portable/MetafileParser.h"

#define FUZZ_ICON 1
#define FUZZ_METAFILE 2
#define FUZZ_DIBRES 3

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#if FUZZ_PARSER == FUZZ_ICON
  std::vector<tk::IconEntry> images;
  if (tk::ParseIcon(data, size, images)) {
    for (const tk::IconEntry& e : images)
      if (e.offset > size || e.size > size - e.offset || e.width <= 0 || e.height <= 0)
        __builtin_trap();
  }
#elif FUZZ_PARSER == FUZZ_METAFILE
  tk::Metafile m;
  if (tk::ParseMetafile(data, size, m) && (m.offset > size || m.length > size - m.offset))
    __builtin_trap();
#elif FUZZ_PARSER == FUZZ_DIBRES
  codecs::DibLayout l;
  if (codecs::ParseDibResource(data, size, l) &&
      (l.bitsOffset > size || l.bitsSize > size - l.bitsOffset || l.colours.size() > 256))
    __builtin_trap();
#else
#error FUZZ_PARSER names no parser
#endif
  return 0;
}

// Icons, metafiles and bitmap resources made byte by byte: sound ones seed the
// fuzzers of the picture readers, and hostile variants of them, each broken in
// one way, must be refused by their reader. The unit tests read both tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reader_samples {

using Bytes = std::vector<std::uint8_t>;

struct Sample {
  std::string target;  // "icon", "metafile" or "dibres": the reader and fuzz target
  std::string name;
  Bytes data;
};

// Files every reader must take, covering each record kind with counts,
// offsets or a bitmap.
std::vector<Sample> SoundSamples();

// Files each broken in one way that its reader must refuse.
std::vector<Sample> HostileSamples();

}  // namespace reader_samples

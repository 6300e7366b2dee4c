// The picture parsers' samples under tests/data/parsers, as
// scripts/make-parser-samples.py writes them: sound/ holds files each parser
// must take, hostile/ files each broken in one way that its parser must refuse.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sample_files {

struct Sample {
  std::string target;  // "icon", "metafile" or "dibres": the parser, from the folder
  std::string name;    // the file name without its extension
  std::vector<std::uint8_t> data;
};

// Every sample of a kind: "sound" or "hostile".
inline std::vector<Sample> Samples(const char* kind) {
  namespace fs = std::filesystem;
  std::vector<Sample> all;
  for (const auto& dir : fs::directory_iterator(fs::path(LUMOS_TEST_DATA) / "parsers" / kind)) {
    for (const auto& file : fs::directory_iterator(dir.path())) {
      std::ifstream in(file.path(), std::ios::binary);
      all.push_back({dir.path().filename().string(),
                     file.path().stem().string(),
                     {std::istreambuf_iterator<char>(in), {}}});
    }
  }
  return all;
}

}  // namespace sample_files

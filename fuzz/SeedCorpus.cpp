// Writes the seed corpus of every fuzz target: the test pictures under
// tests/data (each for its decoder and the information query), the parsers'
// sound and hostile icons, metafiles and bitmap resources, two message files,
// and the colour profiles under tests/data, each followed by rows of pixels.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fuzz/FuzzProfile.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool Write(const fs::path& dir, const std::string& name, const Bytes& data) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

Bytes Text(const std::string& t) { return Bytes(t.begin(), t.end()); }

// A profile and the rows the profile fuzzer converts with it: a ramp.
Bytes ProfileSeed(Bytes profile) {
  for (size_t i = 0; i < fuzz_profile::kRows * fuzz_profile::kRowBytes; ++i)
    profile.push_back(static_cast<uint8_t>(i * 37));
  return profile;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  const std::map<std::string, std::string> targets = {
      {".jpg", "jpeg"}, {".png", "png"}, {".gif", "gif"},    {".tif", "tiff"},
      {".bmp", "bmp"},  {".pcx", "pcx"}, {".icc", "profile"}};
  int written = 0;
  for (const auto& entry : fs::directory_iterator(LUMOS_TEST_DATA)) {
    const auto target = targets.find(entry.path().extension().string());
    if (target == targets.end()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes data((std::istreambuf_iterator<char>(in)), {});
    const std::string name = "seed-" + entry.path().filename().string();
    if (target->second == "profile") {
      if (!Write(root / "profile", name, ProfileSeed(data))) return 1;
      ++written;
      continue;
    }
    for (const std::string& dir : {target->second, std::string("info")}) {
      if (!Write(root / dir, name, data)) return 1;
      ++written;
    }
  }
  // tests/data/parsers/KIND/TARGET/NAME.EXT: seed-NAME for the target.
  for (const char* kind : {"sound", "hostile"}) {
    for (const auto& target :
         fs::directory_iterator(fs::path(LUMOS_TEST_DATA) / "parsers" / kind)) {
      for (const auto& file : fs::directory_iterator(target.path())) {
        const fs::path dir = root / target.path().filename();
        fs::create_directories(dir);
        if (!fs::copy_file(file.path(), dir / ("seed-" + file.path().stem().string()),
                           fs::copy_options::overwrite_existing))
          return 1;
        ++written;
      }
    }
  }
  const std::pair<const char*, const char*> messages[] = {
      {"seed-ticker", "/fc|$FF/fh|-20/fn|Arial/fs|12/ft|0110/bc|128/sp|3/sm|Hello/eo|"},
      {"seed-scroller", "x\r\n255\r\n-13\r\nArial\r\n10\r\n1000\r\n$80\r\n1\r\nLine\r\n\r\nB"}};
  for (const auto& [name, text] : messages) {
    if (!Write(root / "msgfile", name, Text(text))) return 1;
    ++written;
  }
  std::printf("%d seed files in %s\n", written, root.string().c_str());
  return 0;
}

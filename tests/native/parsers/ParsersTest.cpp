#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "codecs/portable/DibResource.h"
#include "tests/common/SampleFiles.h"
#include "toolkit/portable/IconParser.h"
#include "toolkit/portable/MetafileParser.h"

namespace {

using sample_files::Sample;

bool Accepts(const Sample& s) {
  if (s.target == "icon") {
    std::vector<tk::IconEntry> images;
    return tk::ParseIcon(s.data.data(), s.data.size(), images);
  }
  if (s.target == "metafile") {
    tk::Metafile m;
    return tk::ParseMetafile(s.data.data(), s.data.size(), m);
  }
  codecs::DibLayout l;
  return codecs::ParseDibResource(s.data.data(), s.data.size(), l);
}

TEST(Parsers, TakeEverySoundSampleAndRefuseEveryHostileOne) {
  for (const std::string kind : {"sound", "hostile"})
    for (const Sample& s : sample_files::Samples(kind.c_str()))
      EXPECT_EQ(Accepts(s), kind == "sound") << kind << " " << s.name;
}

const Sample& Find(const char* name) {
  static const std::vector<Sample> all = sample_files::Samples("sound");
  for (const Sample& s : all)
    if (s.name == name) return s;
  throw std::runtime_error(name);
}

TEST(Parsers, IconImagesAsTheFileHasThem) {
  const Sample& s = Find("three-images");
  std::vector<tk::IconEntry> images;
  ASSERT_TRUE(tk::ParseIcon(s.data.data(), s.data.size(), images));
  std::vector<std::tuple<int, int, int, bool>> got;  // width, height, bits, PNG
  for (const tk::IconEntry& i : images) got.emplace_back(i.width, i.height, i.bits, i.png);
  ASSERT_EQ(got, (std::vector<std::tuple<int, int, int, bool>>{
                     {16, 16, 8, false}, {32, 32, 32, false}, {48, 48, 32, true}}));
  EXPECT_EQ(images.back().offset + images.back().size, s.data.size());
}

// Kind, offset and length, window extent, placeable box and units, frame.
TEST(Parsers, MetafileSizes) {
  const std::pair<const char*, const char*> rows[] = {
      {"wmf", "0 0 120x60 0x0/0 0x0"},
      {"placeable", "1 22 120x60 1440x720/1440 0x0"},
      {"emf", "2 0 0x0 0x0/0 2540x1270"}};
  for (const auto& [name, want] : rows) {
    const Sample& s = Find(name);
    tk::Metafile m;
    ASSERT_TRUE(tk::ParseMetafile(s.data.data(), s.data.size(), m)) << name;
    EXPECT_EQ(m.offset + m.length, s.data.size()) << name;
    const auto n = [](auto v) { return std::to_string(v); };
    EXPECT_EQ(n(static_cast<int>(m.kind)) + " " + n(m.offset) + " " + n(m.windowExtX) + "x" +
                  n(m.windowExtY) + " " + n(m.boxWidth) + "x" + n(m.boxHeight) + "/" +
                  n(m.unitsPerInch) + " " + n(m.frame[2]) + "x" + n(m.frame[3]),
              want);
  }
}

}  // namespace

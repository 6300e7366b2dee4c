#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "codecs/readers/DibResource.h"
#include "codecs/readers/Icon.h"
#include "codecs/readers/Metafile.h"
#include "fuzz/ReaderSamples.h"

namespace {

using reader_samples::Sample;

bool Accepts(const Sample& s) {
  if (s.target == "icon") {
    std::vector<readers::IconEntry> images;
    return readers::ParseIcon(s.data.data(), s.data.size(), images);
  }
  if (s.target == "metafile") {
    readers::Metafile m;
    return readers::ParseMetafile(s.data.data(), s.data.size(), m);
  }
  readers::DibLayout l;
  return readers::ParseDibResource(s.data.data(), s.data.size(), l);
}

TEST(Readers, TakeEverySoundSample) {
  for (const Sample& s : reader_samples::SoundSamples()) EXPECT_TRUE(Accepts(s)) << s.name;
}

TEST(Readers, RefuseEveryHostileSample) {
  for (const Sample& s : reader_samples::HostileSamples()) EXPECT_FALSE(Accepts(s)) << s.name;
}

const Sample& Find(const char* name) {
  static const std::vector<Sample> all = reader_samples::SoundSamples();
  for (const Sample& s : all)
    if (s.name == name) return s;
  throw std::runtime_error(name);
}

TEST(Readers, IconImagesAsTheFileHasThem) {
  const Sample& s = Find("three-images");
  std::vector<readers::IconEntry> images;
  ASSERT_TRUE(readers::ParseIcon(s.data.data(), s.data.size(), images));
  ASSERT_EQ(images.size(), 3u);
  const int want[3][3] = {{16, 8, 0}, {32, 32, 0}, {48, 32, 1}};  // side, bits, PNG
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(images[i].width, want[i][0]);
    EXPECT_EQ(images[i].height, want[i][0]);
    EXPECT_EQ(images[i].bits, want[i][1]);
    EXPECT_EQ(images[i].png, want[i][2] == 1);
  }
  EXPECT_EQ(images[2].offset + images[2].size, s.data.size());
}

TEST(Readers, MetafileSizes) {
  struct Row {
    const char* name;
    readers::MetafileKind kind;
    std::size_t offset;
    int extX, extY, boxW, boxH, inch, frameRight, frameBottom;
  };
  const Row rows[] = {
      {"wmf", readers::MetafileKind::kWindows, 0, 120, 60, 0, 0, 0, 0, 0},
      {"placeable", readers::MetafileKind::kPlaceable, 22, 120, 60, 1440, 720, 1440, 0, 0},
      {"emf", readers::MetafileKind::kEnhanced, 0, 0, 0, 0, 0, 0, 2540, 1270},
  };
  for (const Row& r : rows) {
    const Sample& s = Find(r.name);
    readers::Metafile m;
    ASSERT_TRUE(readers::ParseMetafile(s.data.data(), s.data.size(), m)) << r.name;
    EXPECT_EQ(m.kind, r.kind) << r.name;
    EXPECT_EQ(m.offset, r.offset) << r.name;
    EXPECT_EQ(m.offset + m.length, s.data.size()) << r.name;
    EXPECT_EQ(m.windowExtX, r.extX) << r.name;
    EXPECT_EQ(m.windowExtY, r.extY) << r.name;
    EXPECT_EQ(m.boxWidth, r.boxW) << r.name;
    EXPECT_EQ(m.boxHeight, r.boxH) << r.name;
    EXPECT_EQ(m.unitsPerInch, r.inch) << r.name;
    EXPECT_EQ(m.frame[2], r.frameRight) << r.name;
    EXPECT_EQ(m.frame[3], r.frameBottom) << r.name;
  }
}

}  // namespace

// Decoding for the native tests: straight into the core, from memory.
#include <cstdlib>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {

Decoded DecodeBytes(rstrim::Format format, const Bytes& data, int resolution, bool dither) {
  Decoded d;
  rstrim::MemorySource src(data.data(), data.size());
  rstrim::DecodeOptions options;
  options.resolution = resolution;
  options.dither = dither;
  d.result = rstrim::Decode(format, src, options, d.bitmap);
  return d;
}

rstrim::Result Info(const Bytes& data, rstrim::ImageInfo* info) {
  rstrim::MemorySource src(data.data(), data.size());
  return rstrim::QueryInfo(src, info);
}

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/rstrim_test_" + name;
}

}  // namespace testing_rstrim

// Decoding for the native tests: straight into the core, from memory.
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

}  // namespace testing_rstrim

// libFuzzer entry: one binary per decoder (FUZZ_FORMAT names it) plus one for
// the information query (FUZZ_INFO). The decode options come from the input's
// length so that every resolution code and both dither settings get exercised
// without disturbing the file's leading magic bytes.
#include <cstddef>
#include <cstdint>

#include "rstrim/core/Rstrim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rstrim::MemorySource src(data, size);
#ifdef FUZZ_INFO
  rstrim::ImageInfo info;
  rstrim::QueryInfo(src, &info);
  if (info.type.size() > 5 || info.detail.size() > 25) __builtin_trap();
#else
  // Keeps each run small: a hostile header may ask for anything.
  constexpr size_t kFuzzBitmapLimit = size_t{16} << 20;
  static const int kResolutions[] = {24, 8, 4, 1, 0};
  rstrim::DecodeOptions options;
  options.resolution = kResolutions[size % 5];
  options.dither = (size / 5) % 2 != 0;
  options.maxBitmapBytes = kFuzzBitmapLimit;
  options.maxWorkBytes = kFuzzBitmapLimit;
  rstrim::MemoryDib bitmap(kFuzzBitmapLimit);
  const rstrim::Result r = rstrim::Decode(rstrim::Format::FUZZ_FORMAT, src, options, bitmap);
  if (r > 0 && (bitmap.Width() <= 0 || bitmap.Height() <= 0)) __builtin_trap();
#endif
  return 0;
}

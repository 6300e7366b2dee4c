// libFuzzer entry for embedded colour profiles: the profile path of the
// decoders (building the transform, converting rows and a colour table). The
// input's length chooses the pixel form, so the profile's own bytes stay as
// they are.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzProfile.h"
#include "rstrim/core/ColourProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using fuzz_profile::kRowBytes;
  using fuzz_profile::kRows;
  if (size < kRows * kRowBytes) return 0;
  static const rstrim::ColourInput kInputs[] = {
      rstrim::ColourInput::kBgr, rstrim::ColourInput::kCmyk, rstrim::ColourInput::kCmykInverted};
  const rstrim::ColourInput input = kInputs[size % 3];
  const size_t profileSize = size - kRows * kRowBytes;
  const auto transform = rstrim::ColourTransform::For(data, profileSize, input);
  if (!transform) return 0;
  const bool bgr = input == rstrim::ColourInput::kBgr;
  const int width = static_cast<int>(kRowBytes) / (bgr ? 3 : 4);
  std::vector<uint8_t> row(kRowBytes), out(static_cast<size_t>(width) * 3);
  for (size_t y = 0; y < kRows; ++y) {
    const uint8_t* pixels = data + profileSize + y * kRowBytes;
    row.assign(pixels, pixels + kRowBytes);
    // B G R rows are converted where they lie, as the decoders do.
    transform->Convert(row.data(), bgr ? row.data() : out.data(), width);
  }
  if (bgr) {
    std::vector<rstrim::Rgb> palette;
    for (size_t i = 0; i + 3 <= kRowBytes; i += 3)
      palette.push_back(
          rstrim::Rgb{data[profileSize + i], data[profileSize + i + 1], data[profileSize + i + 2]});
    transform->Convert(&palette);
  }
  return 0;
}

#include "rstrim/core/ColourProfile.h"

#include <lcms2.h>

#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <string>

namespace rstrim {
namespace {

// Profiles seen last, with what became of them (null: colours stay). A viewer
// meets a handful of profiles again and again; the bound keeps a stream of
// hostile ones from piling up.
constexpr size_t kCachedProfiles = 8;

struct ProfileCloser {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
using ProfilePtr = std::unique_ptr<void, ProfileCloser>;

// The lcms2 pixel format of `input` for a profile of `space`; 0 when they do not go together.
cmsUInt32Number InputFormat(cmsColorSpaceSignature space, ColourInput input) {
  switch (input) {
    case ColourInput::kBgr:
      if (space == cmsSigRgbData) return TYPE_BGR_8;
      // A grey level in the first byte; the two after it are skipped.
      if (space == cmsSigGrayData)
        return COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);
      return 0;
    case ColourInput::kCmyk:
      return space == cmsSigCmykData ? TYPE_CMYK_8 : 0;
    case ColourInput::kCmykInverted:
      return space == cmsSigCmykData ? TYPE_CMYK_8_REV : 0;
  }
  return 0;
}

// Whether a transform of 3-byte pixels keeps every colour within one level:
// sRGB under another name, or a grey with sRGB's curve. Tried on a grid of
// colours (grey: every level), since profiles that say the same thing may
// differ byte for byte.
bool KeepsColours(cmsHTRANSFORM t, bool grey) {
  std::vector<uint8_t> in;
  for (int b = 0; b < 256; b += grey ? 1 : 15)
    for (int g = grey ? b : 0; g < 256; g += grey ? 256 : 15)
      for (int r = grey ? b : 0; r < 256; r += grey ? 256 : 15)
        in.insert(in.end(),
                  {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r)});
  std::vector<uint8_t> out(in.size());
  cmsDoTransform(t, in.data(), out.data(), static_cast<cmsUInt32Number>(in.size() / 3));
  for (size_t i = 0; i < in.size(); ++i)
    if (std::abs(in[i] - out[i]) > 1) return false;
  return true;
}

ColourTransformPtr Build(const uint8_t* profile, size_t size, ColourInput input) {
  ProfilePtr source(cmsOpenProfileFromMem(profile, static_cast<cmsUInt32Number>(size)));
  if (!source) return nullptr;
  const cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
  const cmsUInt32Number format = InputFormat(space, input);
  if (format == 0) return nullptr;
  ProfilePtr srgb(cmsCreate_sRGBProfile());
  if (!srgb) return nullptr;
  cmsHTRANSFORM t =
      cmsCreateTransform(source.get(), format, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
  if (t == nullptr) return nullptr;
  auto transform = std::make_shared<const ColourTransform>(t);
  if (input == ColourInput::kBgr && KeepsColours(t, space == cmsSigGrayData)) return nullptr;
  return transform;
}

struct CacheEntry {
  ColourInput input;
  std::string profile;
  ColourTransformPtr transform;
};

}  // namespace

ColourTransform::~ColourTransform() { cmsDeleteTransform(transform_); }

ColourTransformPtr ColourTransform::For(const uint8_t* profile, size_t size, ColourInput input) {
  if (profile == nullptr || size == 0 || size > kMaxProfileBytes) return nullptr;
  static std::mutex lock;
  static std::list<CacheEntry> cache;  // most recently used first
  const std::lock_guard<std::mutex> hold(lock);
  for (auto it = cache.begin(); it != cache.end(); ++it) {
    if (it->input == input && it->profile.size() == size &&
        std::memcmp(it->profile.data(), profile, size) == 0) {
      cache.splice(cache.begin(), cache, it);
      return it->transform;
    }
  }
  ColourTransformPtr transform = Build(profile, size, input);
  cache.push_front(
      CacheEntry{input, std::string(reinterpret_cast<const char*>(profile), size), transform});
  if (cache.size() > kCachedProfiles) cache.pop_back();
  return transform;
}

void ColourTransform::Convert(const uint8_t* in, uint8_t* bgr, int width) const {
  if (width > 0) cmsDoTransform(transform_, in, bgr, static_cast<cmsUInt32Number>(width));
}

void ColourTransform::Convert(std::vector<Rgb>* palette) const {
  std::vector<uint8_t> bgr;
  for (const Rgb& c : *palette) bgr.insert(bgr.end(), {c.b, c.g, c.r});
  Convert(bgr.data(), bgr.data(), static_cast<int>(palette->size()));
  for (size_t i = 0; i < palette->size(); ++i)
    (*palette)[i] = Rgb{bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]};
}

}  // namespace rstrim

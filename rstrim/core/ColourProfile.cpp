#include "rstrim/core/ColourProfile.h"

#include <emmintrin.h>  // SSE2: the program needs it (README)
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
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

struct TransformDeleter {
  void operator()(void* t) const { cmsDeleteTransform(t); }
};
using TransformPtr = std::unique_ptr<void, TransformDeleter>;

struct CurveDeleter {
  void operator()(cmsToneCurve* c) const { cmsFreeToneCurve(c); }
};
using CurvePtr = std::unique_ptr<cmsToneCurve, CurveDeleter>;

// A grey level in the first of three bytes; the two after it are skipped.
constexpr cmsUInt32Number kGreyInBgr =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);

using Matrix = std::array<std::array<double, 3>, 3>;

// The colorants of a matrix-shaper profile as columns: linear R G B to XYZ.
bool Colorants(cmsHPROFILE p, Matrix* m) {
  const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                   cmsSigBlueColorantTag};
  for (int c = 0; c < 3; ++c) {
    const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, tags[c]));
    if (xyz == nullptr) return false;
    (*m)[0][c] = xyz->X, (*m)[1][c] = xyz->Y, (*m)[2][c] = xyz->Z;
  }
  return true;
}

bool Invert(const Matrix& m, Matrix* inverse) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!std::isfinite(det) || std::fabs(det) < 1e-9) return false;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      // Cofactor of (c, r), transposed into place.
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      (*inverse)[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
    }
  return true;
}

// sRGB's own curve, as lcms2 defines it, inverted: linear light in kUnit
// steps (0.2 levels a step at its steepest) to 8 bits. Made once.
constexpr int kUnit = 16384;
using Encoding = std::array<uint8_t, kUnit + 1>;

const Encoding* SrgbEncoding() {
  static const std::unique_ptr<Encoding> table = [] {
    const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    const CurvePtr decode(cmsBuildParametricToneCurve(nullptr, 4, srgb));
    const CurvePtr encode(decode ? cmsReverseToneCurve(decode.get()) : nullptr);
    if (!encode) return std::unique_ptr<Encoding>();
    auto t = std::make_unique<Encoding>();
    for (int i = 0; i <= kUnit; ++i) {
      const float v = cmsEvalToneCurveFloat(encode.get(), static_cast<float>(i) / kUnit);
      (*t)[i] = static_cast<uint8_t>(std::min(std::max(v, 0.0f), 1.0f) * 255.0f + 0.5f);
    }
    return t;
  }();
  return table.get();
}

// Matrix-shaper RGB profiles (Adobe RGB, ProPhoto, Display P3 ...): each
// channel through the profile's curve, one matrix from its colorants to
// linear sRGB, clipped, then sRGB's curve, as lcms2 converts such a profile.
// lcms2's own conversion of 8-bit pixels one by one costs more than decoding
// the JPEG they came from, so it is done from tables made once: for each
// input channel and level, its share of the three outputs side by side in
// one SSE2 register, so a pixel is three loads and two additions, and two
// pixels are clipped at once, before sRGB's curve.
class MatrixTransform final : public ColourTransform {
 public:
  // Coefficients in 1/16384: a tiny one off sRGB's diagonal still counts near
  // black. Real profiles stay below 3; beyond 8 the profile is not believed.
  static constexpr int kMatrixBits = 14;
  static constexpr double kMaxCoefficient = 8;

  // Null unless the profile converts through its matrix and curves alone
  // (lcms2 takes a perceptual table first, in either precision).
  static std::shared_ptr<MatrixTransform> From(cmsHPROFILE source) {
    if (!cmsIsMatrixShaper(source) || cmsIsTag(source, cmsSigAToB0Tag) ||
        cmsIsTag(source, cmsSigDToB0Tag)) {
      return nullptr;
    }
    const ProfilePtr srgb(cmsCreate_sRGBProfile());
    Matrix in{}, out{}, toSrgb{};
    const Encoding* encode = SrgbEncoding();
    if (!srgb || encode == nullptr || !Colorants(source, &in) || !Colorants(srgb.get(), &out) ||
        !Invert(out, &toSrgb)) {
      return nullptr;
    }
    int matrix[3][3];  // R G B out, R G B in
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        double v = 0;
        for (int k = 0; k < 3; ++k) v += toSrgb[r][k] * in[k][c];
        if (!(std::fabs(v) < kMaxCoefficient)) return nullptr;  // NaN too
        matrix[r][c] = static_cast<int>(std::lround(v * (1 << kMatrixBits)));
      }
    auto t = std::make_shared<MatrixTransform>(*encode);
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
      const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(source, curves[c]));
      if (curve == nullptr) return nullptr;
      for (int v = 0; v < 256; ++v) {
        const float level = cmsEvalToneCurveFloat(curve, static_cast<float>(v) / 255.0f);
        const int64_t lin =
            static_cast<int64_t>(std::min(std::max(level, 0.0f), 1.0f) * kUnit + 0.5f);
        // B G R order on both sides, as the pixels are.
        for (int r = 0; r < 3; ++r)
          t->terms_[2 - c][v].share[2 - r] =
              static_cast<int32_t>((matrix[r][c] * lin + (1 << (kMatrixBits - 1))) >> kMatrixBits);
      }
    }
    return t;
  }

  explicit MatrixTransform(const Encoding& encode) : encode_(encode) {}

  void Convert(const uint8_t* in, uint8_t* bgr, int width) const override {
    int x = 0;
    for (; x + 2 <= width; x += 2, in += 6, bgr += 6) {
      const __m128i levels = Clip(Sum(in), Sum(in + 3));
      Store<0>(levels, bgr);
      Store<4>(levels, bgr + 3);
    }
    if (x < width) {
      const __m128i one = Sum(in);
      Store<0>(Clip(one, one), bgr);
    }
  }

 private:
  // Aligned for speed; read unaligned all the same, as allocators may not honour it.
  struct alignas(16) Terms {
    int32_t share[4];  // of output B, G, R (and nothing), in kUnit
  };

  __m128i Sum(const uint8_t* p) const {
    const auto* b = reinterpret_cast<const __m128i*>(terms_[0][p[0]].share);
    const auto* g = reinterpret_cast<const __m128i*>(terms_[1][p[1]].share);
    const auto* r = reinterpret_cast<const __m128i*>(terms_[2][p[2]].share);
    return _mm_add_epi32(_mm_add_epi32(_mm_loadu_si128(b), _mm_loadu_si128(g)), _mm_loadu_si128(r));
  }

  // Two pixels' sums as eight 16-bit lanes within 0 .. kUnit (the packing
  // saturates what lies far outside).
  static __m128i Clip(__m128i first, __m128i second) {
    const __m128i packed = _mm_packs_epi32(first, second);
    return _mm_min_epi16(_mm_max_epi16(packed, _mm_setzero_si128()), _mm_set1_epi16(kUnit));
  }

  // The pixel in lanes lane .. lane + 2, through sRGB's curve.
  template <int lane>
  void Store(__m128i levels, uint8_t* bgr) const {
    bgr[0] = encode_[_mm_extract_epi16(levels, lane)];
    bgr[1] = encode_[_mm_extract_epi16(levels, lane + 1)];
    bgr[2] = encode_[_mm_extract_epi16(levels, lane + 2)];
  }

  Terms terms_[3][256] = {};  // input B G R, level: its shares
  const Encoding& encode_;
};

// Grey profiles: every level, looked up.
class LevelTransform final : public ColourTransform {
 public:
  explicit LevelTransform(cmsHTRANSFORM t) {
    std::array<uint8_t, 256 * 3> in{};
    for (int v = 0; v < 256; ++v) in[3 * v] = static_cast<uint8_t>(v);
    cmsDoTransform(t, in.data(), levels_.data(), 256);
  }

  void Convert(const uint8_t* in, uint8_t* bgr, int width) const override {
    for (int x = 0; x < width; ++x, in += 3, bgr += 3) {
      const uint8_t* c = &levels_[3 * size_t{in[0]}];
      bgr[0] = c[0], bgr[1] = c[1], bgr[2] = c[2];
    }
  }

 private:
  std::array<uint8_t, 256 * 3> levels_{};  // B G R of each level
};

// Everything else (CMYK, RGB profiles built on tables): lcms2 converts each pixel.
class LcmsTransform final : public ColourTransform {
 public:
  explicit LcmsTransform(TransformPtr t) : transform_(std::move(t)) {}

  void Convert(const uint8_t* in, uint8_t* bgr, int width) const override {
    if (width > 0) cmsDoTransform(transform_.get(), in, bgr, static_cast<cmsUInt32Number>(width));
  }

 private:
  TransformPtr transform_;
};

// Whether a transform of B G R pixels keeps every colour within one level:
// sRGB under another name, or a grey with sRGB's curve. Tried on a grid of
// colours (grey: every level), since profiles that say the same thing may
// differ byte for byte.
bool KeepsColours(const ColourTransform& t, bool grey) {
  std::vector<uint8_t> in;
  for (int b = 0; b < 256; b += grey ? 1 : 15)
    for (int g = grey ? b : 0; g < 256; g += grey ? 256 : 15)
      for (int r = grey ? b : 0; r < 256; r += grey ? 256 : 15)
        in.insert(in.end(),
                  {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r)});
  std::vector<uint8_t> out(in.size());
  t.Convert(in.data(), out.data(), static_cast<int>(in.size() / 3));
  for (size_t i = 0; i < in.size(); ++i)
    if (std::abs(in[i] - out[i]) > 1) return false;
  return true;
}

TransformPtr ToSrgb(cmsHPROFILE source, cmsUInt32Number inFormat) {
  const ProfilePtr srgb(cmsCreate_sRGBProfile());
  if (!srgb) return nullptr;
  return TransformPtr(
      cmsCreateTransform(source, inFormat, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0));
}

// The profile's colour space as a plain number: a hostile profile may name
// one that the enumeration does not hold.
uint32_t SpaceOf(cmsHPROFILE p) { return static_cast<uint32_t>(cmsGetColorSpace(p)); }

std::shared_ptr<ColourTransform> Build(cmsHPROFILE source, ColourInput input) {
  const uint32_t space = SpaceOf(source);
  if (input != ColourInput::kBgr) {
    if (space != cmsSigCmykData) return nullptr;
    TransformPtr t = ToSrgb(source, input == ColourInput::kCmyk ? TYPE_CMYK_8 : TYPE_CMYK_8_REV);
    return t ? std::make_shared<LcmsTransform>(std::move(t)) : nullptr;
  }
  if (space == cmsSigGrayData) {
    const TransformPtr t = ToSrgb(source, kGreyInBgr);
    return t ? std::make_shared<LevelTransform>(t.get()) : nullptr;
  }
  if (space != cmsSigRgbData) return nullptr;
  if (auto matrix = MatrixTransform::From(source)) return matrix;
  TransformPtr t = ToSrgb(source, TYPE_BGR_8);
  return t ? std::make_shared<LcmsTransform>(std::move(t)) : nullptr;
}

ColourTransformPtr Build(const uint8_t* profile, size_t size, ColourInput input) {
  const ProfilePtr source(cmsOpenProfileFromMem(profile, static_cast<cmsUInt32Number>(size)));
  if (!source) return nullptr;
  const auto transform = Build(source.get(), input);
  if (!transform || (input == ColourInput::kBgr &&
                     KeepsColours(*transform, SpaceOf(source.get()) == cmsSigGrayData))) {
    return nullptr;
  }
  return transform;
}

struct CacheEntry {
  ColourInput input;
  std::string profile;
  ColourTransformPtr transform;
};

}  // namespace

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

void ColourTransform::Convert(std::vector<Rgb>* palette) const {
  std::vector<uint8_t> bgr;
  for (const Rgb& c : *palette) bgr.insert(bgr.end(), {c.b, c.g, c.r});
  Convert(bgr.data(), bgr.data(), static_cast<int>(palette->size()));
  for (size_t i = 0; i < palette->size(); ++i)
    (*palette)[i] = Rgb{bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]};
}

}  // namespace rstrim

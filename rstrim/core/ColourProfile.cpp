#include "rstrim/core/ColourProfile.h"

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
// input channel and level, its share of all three outputs, packed into one
// 64-bit number as three biased 21-bit fields, so a pixel is three lookups
// and two additions before sRGB's curve.
class MatrixTransform final : public ColourTransform {
 public:
  // Coefficients in 1/16384: a tiny one off sRGB's diagonal still counts near
  // black. A row's coefficients add up (as magnitudes) to less than 8, so an
  // output's sum stays within its field; real profiles stay below 3.
  static constexpr int kMatrixBits = 14;
  static constexpr double kMaxRowSum = 7.99;

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
    auto t = std::make_shared<MatrixTransform>(*encode);
    int matrix[3][3];
    for (int r = 0; r < 3; ++r) {
      double rowSum = 0;
      for (int c = 0; c < 3; ++c) {
        double v = 0;
        for (int k = 0; k < 3; ++k) v += toSrgb[r][k] * in[k][c];
        rowSum += std::fabs(v);
        if (!(rowSum < kMaxRowSum)) return nullptr;  // NaN too
        matrix[r][c] = static_cast<int>(std::lround(v * (1 << kMatrixBits)));
      }
    }
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int j = 0; j < 3; ++j) {
      const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(source, curves[j]));
      if (curve == nullptr) return nullptr;
      for (int v = 0; v < 256; ++v) {
        const float level = cmsEvalToneCurveFloat(curve, static_cast<float>(v) / 255.0f);
        const int lin = static_cast<int>(std::min(std::max(level, 0.0f), 1.0f) * kUnit + 0.5f);
        int64_t packed = 0;
        for (int c = 0; c < 3; ++c) {
          int64_t share = (int64_t{matrix[c][j]} * lin + (1 << (kMatrixBits - 1))) >> kMatrixBits;
          if (j == 0) share += kBias;
          packed += share * (int64_t{1} << (kFieldBits * c));
        }
        t->terms_[j][v] = static_cast<uint64_t>(packed);
      }
    }
    return t;
  }

  explicit MatrixTransform(const Encoding& encode) : encode_(encode) {}

  void Convert(const uint8_t* in, uint8_t* bgr, int width) const override {
    const uint8_t* encode = encode_.data();
    for (int x = 0; x < width; ++x, in += 3, bgr += 3) {
      const uint64_t sum = terms_[0][in[2]] + terms_[1][in[1]] + terms_[2][in[0]];
      uint8_t out[3];
      for (int c = 0; c < 3; ++c) {
        const int v = static_cast<int>((sum >> (kFieldBits * c)) & kFieldMask) - kBias;
        out[c] = encode[std::min(std::max(v, 0), kUnit)];
      }
      bgr[0] = out[2], bgr[1] = out[1], bgr[2] = out[0];
    }
  }

 private:
  static constexpr int kFieldBits = 21;
  static constexpr uint64_t kFieldMask = (uint64_t{1} << kFieldBits) - 1;
  static constexpr int kBias = 1 << 19;  // keeps every field's sum above 0; red's terms carry it

  uint64_t terms_[3][256] = {};  // input R G B, level: its shares of output R G B, kUnit = 1
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

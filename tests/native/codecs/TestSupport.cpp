#include "tests/native/codecs/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace testing_rstrim {
namespace {

// Visits every pixel pair of a decoded bitmap and a picture of the same size.
template <typename F>
bool EachPixel(const rstrim::MemoryDib& bmp, const Picture& expected, F f) {
  if (bmp.Width() != expected.width || bmp.Height() != expected.height) return false;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) f(bmp.ColourAt(x, y), expected.At(x, y));
  return true;
}

int Diff(uint8_t a, uint8_t b) { return std::abs(a - b); }

}  // namespace

Bytes ReadData(const std::string& name) {
  std::ifstream in(std::string(LUMOS_TEST_DATA) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Picture ReadReference(const std::string& name) {
  std::ifstream in(std::string(LUMOS_TEST_DATA) + "/" + name, std::ios::binary);
  std::string magic;
  int max = 0;
  Picture p;
  in >> magic >> p.width >> p.height >> max;
  in.get();
  const size_t channels = magic == "P6" ? 3 : 1, g = channels / 3;  // PGM: g = 0
  std::vector<uint8_t> v(static_cast<size_t>(p.width) * p.height * channels);
  in.read(reinterpret_cast<char*>(v.data()), static_cast<std::streamsize>(v.size()));
  for (size_t i = 0; in && i < v.size(); i += channels)
    p.pixels.push_back(Rgb{v[i], v[i + g], v[i + 2 * g]});
  return p;
}

rstrim::Format FormatOf(const std::string& name) {
  const std::string ext = name.substr(name.rfind('.') + 1);
  if (ext == "jpg") return rstrim::Format::kJpeg;
  if (ext == "png") return rstrim::Format::kPng;
  if (ext == "gif") return rstrim::Format::kGif;
  if (ext == "tif") return rstrim::Format::kTiff;
  if (ext == "pcx") return rstrim::Format::kPcx;
  return rstrim::Format::kBmp;
}

Decoded DecodeData(const std::string& name, int resolution, bool dither) {
  return DecodeBytes(FormatOf(name), ReadData(name), resolution, dither);
}

int MaxError(const rstrim::MemoryDib& bmp, const Picture& expected) {
  int worst = 0;
  const bool same = EachPixel(bmp, expected, [&](Rgb a, Rgb b) {
    worst = std::max({worst, Diff(a.r, b.r), Diff(a.g, b.g), Diff(a.b, b.b)});
  });
  return same ? worst : 1000;
}

double MeanError(const rstrim::MemoryDib& bmp, const Picture& expected) {
  double sum = 0;
  const bool same = EachPixel(bmp, expected, [&](Rgb a, Rgb b) {
    sum += Diff(a.r, b.r) + Diff(a.g, b.g) + Diff(a.b, b.b);
  });
  return same ? sum / (3.0 * expected.width * expected.height) : 1000;
}

double BlockMeanError(const rstrim::MemoryDib& bmp, const Picture& expected, int n) {
  if (bmp.Width() != expected.width || bmp.Height() != expected.height) return 1000;
  double sum = 0;
  int blocks = 0;
  for (int by = 0; by + n <= expected.height; by += n) {
    for (int bx = 0; bx + n <= expected.width; bx += n, ++blocks) {
      double d[3] = {0, 0, 0};
      for (int y = by; y < by + n; ++y) {
        for (int x = bx; x < bx + n; ++x) {
          const Rgb p = bmp.ColourAt(x, y), q = expected.At(x, y);
          d[0] += p.r - q.r, d[1] += p.g - q.g, d[2] += p.b - q.b;
        }
      }
      for (double c : d) sum += std::abs(c) / (n * n);
    }
  }
  return blocks ? sum / (3.0 * blocks) : 1000;
}

std::string WriteTemp(const std::string& name, const Bytes& data) {
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return path;
}

Picture ToPicture(const rstrim::MemoryDib& bmp) {
  Picture p;
  p.width = bmp.Width(), p.height = bmp.Height();
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.pixels.push_back(bmp.ColourAt(x, y));
  return p;
}

Picture Oriented(const Picture& stored, int orientation) {
  const bool turned = orientation >= 5;
  Picture p;
  p.width = turned ? stored.height : stored.width;
  p.height = turned ? stored.width : stored.height;
  p.pixels.resize(stored.pixels.size());
  for (int y = 0; y < stored.height; ++y) {
    for (int x = 0; x < stored.width; ++x) {
      int ux = 0, uy = 0;
      rstrim::OrientPoint(orientation, stored.width, stored.height, x, y, &ux, &uy);
      p.pixels[static_cast<size_t>(uy) * p.width + ux] = stored.At(x, y);
    }
  }
  return p;
}

}  // namespace testing_rstrim

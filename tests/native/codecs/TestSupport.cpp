#include "tests/native/codecs/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testing_rstrim {

Bytes ReadData(const std::string& name) {
  std::ifstream in(std::string(LUMOS_TEST_DATA) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Picture ReadReference(const std::string& name) {
  if (name.rfind("ref-", 0) != 0) return ToPicture(DecodeData(name).bitmap);
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

rstrim::Format FormatOf(const Bytes& data) {
  rstrim::MemorySource src(data.data(), data.size());
  return rstrim::DetectFormat(src);
}

Decoded DecodeData(const std::string& name, int resolution, bool dither) {
  const Bytes data = ReadData(name);
  return DecodeBytes(FormatOf(data), data, resolution, dither);
}

int MaxError(const rstrim::MemoryDib& bmp, const Picture& expected) {
  if (bmp.Width() != expected.width || bmp.Height() != expected.height) return 1000;
  int worst = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const Rgb a = bmp.ColourAt(x, y), b = expected.At(x, y);
      worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  }
  return worst;
}

double MeanError(const rstrim::MemoryDib& bmp, const Picture& expected, int n) {
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

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("rstrim_test_" + name)).string();
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

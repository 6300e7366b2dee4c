#include "tests/native/codecs/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

namespace testing_rstrim {

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

double MeanError(const rstrim::MemoryDib& bmp, const Picture& expected) {
  if (bmp.Width() != expected.width || bmp.Height() != expected.height) return 1000;
  double sum = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const Rgb a = bmp.ColourAt(x, y), b = expected.At(x, y);
      sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }
  }
  return sum / (3.0 * expected.width * expected.height);
}

double BlockMeanError(const rstrim::MemoryDib& bmp, const Picture& expected, int n) {
  if (bmp.Width() != expected.width || bmp.Height() != expected.height) return 1000;
  double sum = 0;
  int blocks = 0;
  for (int by = 0; by + n <= expected.height; by += n) {
    for (int bx = 0; bx + n <= expected.width; bx += n) {
      double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
      for (int y = by; y < by + n; ++y) {
        for (int x = bx; x < bx + n; ++x) {
          const Rgb p = bmp.ColourAt(x, y), q = expected.At(x, y);
          a[0] += p.r, a[1] += p.g, a[2] += p.b, b[0] += q.r, b[1] += q.g, b[2] += q.b;
        }
      }
      for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]) / (n * n);
      ++blocks;
    }
  }
  return blocks ? sum / (3.0 * blocks) : 1000;
}

Picture ToPicture(const rstrim::MemoryDib& bmp) {
  Picture p;
  p.width = bmp.Width(), p.height = bmp.Height();
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) p.pixels.push_back(bmp.ColourAt(x, y));
  }
  return p;
}

Picture FromIndices(int width, int height, const std::vector<uint8_t>& idx,
                    const std::vector<Rgb>& pal) {
  Picture p;
  p.width = width, p.height = height;
  for (uint8_t i : idx) p.pixels.push_back(pal[i]);
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

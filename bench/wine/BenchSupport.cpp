#include "bench/wine/BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "imagectl/TMultiP.h"
#include "toolkit/Application.h"

#include <jpeglib.h>

namespace bench {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::uint64_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                       sizeof(pmc));
  // The commit charge: on Windows the same as PrivateUsage, which Wine leaves
  // at 0; Wine counts the private pages touched.
  return pmc.PagefileUsage;
}

PeakPrivateBytes::PeakPrivateBytes() : start_(PrivateBytes()), peak_(start_) {
  sampler_ = std::thread([this] {
    while (!done_) {
      const std::uint64_t now = PrivateBytes();
      if (now > peak_) peak_ = now;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
}

PeakPrivateBytes::~PeakPrivateBytes() {
  done_ = true;
  sampler_.join();
}

double PeakPrivateBytes::AddedMiB() const {
  const std::uint64_t now = std::max<std::uint64_t>(peak_, PrivateBytes());
  return static_cast<double>(now - start_) / kMiB;
}

std::wstring BenchDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring dir = std::wstring(base) + L"lumo-bench";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

namespace {

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }

// sin(a * i) and cos(a * i) for i below n: a wave along one axis, so that a
// wave along both is two products a pixel (sin(u + v) = sin u cos v + cos u sin v).
struct Wave {
  std::vector<double> s, c;
  Wave(double a, int n) : s(static_cast<size_t>(n)), c(static_cast<size_t>(n)) {
    for (int i = 0; i < n; ++i) s[i] = std::sin(a * i), c[i] = std::cos(a * i);
  }
};

}  // namespace

bool WriteJpeg(const std::wstring& name, int width, int height) {
  std::FILE* file = _wfopen(name.c_str(), L"wb");
  if (file == nullptr) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3, cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const Wave rx(0.003, width), ry(0.002, height), gx(0.0021, width), gy(-0.0031, height),
      b(0.0017, width + height);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
  std::uint32_t state = 1;
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state >> 29) - 3.5;
      row[3 * x] = Clamp8(128 + 90 * (rx.s[x] * ry.c[y] + rx.c[x] * ry.s[y]) + noise);
      row[3 * x + 1] = Clamp8(128 + 90 * (gx.s[x] * gy.c[y] + gx.c[x] * gy.s[y]) + noise);
      row[3 * x + 2] = Clamp8(128 + 90 * b.c[x + y] + noise);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

void Pump() { tk::Application::Instance().ProcessMessages(); }

Windows::Windows() {
  Form1 = form1.get();
  tk::Application::Instance().SetMainForm(Form1);
  Form1->Create();
  Form1->Show();
  Form2 = form2.get();
  Form2->Create();
  Form2->mainImage = Form1->PMultiImage1;
  Pump();
}

Windows::~Windows() {
  Form1->DestroyHandle();
  tk::Application::Instance().SetMainForm(nullptr);
  Pump();
  Form1 = nullptr;
  Form2 = nullptr;
}

}  // namespace bench

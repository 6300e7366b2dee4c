// Very large pictures in the real main window: a 12,000 x 9,000 and a
// 20,000 x 15,000 JPEG (quality 90; written at bench time, removed after)
// opened through LoadPicture, against the decoding library alone on the same
// file; and the private bytes each adds at its peak (the load and the first
// paint) against the size of the 24-bit bitmap. Prints figures; asserts nothing.
//   bench_large [--runs N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/wine/BenchSupport.h"
#include "codecs/DecoderLibrary.h"
#include "imagectl/TMultiP.h"
#include "toolkit/StdCtrls.h"

namespace {

struct Figures {
  std::vector<double> decode, load, paint, decodePeak, loadPeak;
};

// The library alone, into a bitmap that is freed again. False when it failed.
bool Decode(const std::wstring& name, int width, Figures& f) {
  tk::BitmapObject bitmap;
  const bench::PeakPrivateBytes peak;
  const double t = bench::Now();
  const short r = codecs::DecodeFile(codecs::Decoder::kJpeg, name, 24, 0, bitmap);
  f.decode.push_back(bench::Now() - t);
  f.decodePeak.push_back(peak.AddedMiB());
  if (r > 0 && bitmap.Width() == width) return true;
  std::printf("large: the library did not decode it: %ls\n", codecs::LibraryErrorText(r).c_str());
  return false;
}

// LoadPicture into fresh windows (the empty state of a start), then its first paint.
bool Load(const std::wstring& name, const std::wstring& info, Figures& f) {
  const bench::Windows windows;
  const bench::PeakPrivateBytes peak;
  const double t = bench::Now();
  Form1->LoadPicture(name);
  const double loaded = bench::Now();
  bench::Pump();
  f.load.push_back(loaded - t);
  f.paint.push_back(bench::Now() - loaded);
  f.loadPeak.push_back(peak.AddedMiB());
  if (Form1->Panel5->Caption() == L"Picture-Info:  " + info) return true;
  std::printf("large: LoadPicture did not show it (%ls)\n", Form1->Panel5->Caption().c_str());
  return false;
}

void Measure(int width, int height, int runs) {
  const std::wstring name = bench::BenchDir() + L"\\LARGE" + std::to_wstring(width) + L".JPG";
  const double written = bench::Now();
  if (!bench::WriteJpeg(name, width, height)) {
    std::printf("large: cannot write %ls\n", name.c_str());
    return;
  }
  const double bitmap = (width * 24.0 + 31) / 32 * 4 * height / bench::kMiB;
  std::printf("large: %d x %d, quality 90, written in %.1f s; its bitmap %.1f MiB\n", width, height,
              bench::Now() - written, bitmap);
  const std::wstring info = std::to_wstring(width) + L"x" + std::to_wstring(height) + L"x16M";
  Figures f;
  for (int i = 0; i < runs; ++i) {
    if (!Decode(name, width, f) || !Load(name, info, f)) break;
  }
  DeleteFileW(name.c_str());
  if (f.load.size() < f.decode.size() || f.load.empty()) return;
  const double lib = bench::Median(f.decode), ld = bench::Median(f.load);
  const double peak = bench::Median(f.loadPeak);
  std::printf("large:   decode in RSTRIM32.DLL alone  %8.0f ms, peak +%7.1f MiB (median of %d)\n",
              lib * 1e3, bench::Median(f.decodePeak), runs);
  std::printf("large:   LoadPicture                   %8.0f ms; first paint %.1f ms\n", ld * 1e3,
              bench::Median(f.paint) * 1e3);
  std::printf("large:   LoadPicture / library         %8.2f   (target at most 1.25)\n", ld / lib);
  std::printf(
      "large:   peak private bytes added      %8.1f MiB = %.3f x the bitmap "
      "(target at most 1.05)\n",
      peak, peak / bitmap);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 5;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], L"--runs") == 0) runs = std::max(1, _wtoi(argv[i + 1]));
  if (sizeof(void*) == 4)
    std::printf("large: the 32-bit build (the product, large-address-aware)\n");
  else
    std::printf("large: the x86-64 build of the same sources, not the 32-bit product\n");
  tk::RegisterStandardControls();
  RegisterImageControl();
  SetCurrentDirectoryW(bench::BenchDir().c_str());
  Measure(12000, 9000, runs);
  Measure(20000, 15000, runs);
  return 0;
}

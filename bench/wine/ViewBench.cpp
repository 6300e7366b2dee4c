// Viewing a 24-megapixel JPEG (6000 x 4000, quality 90) in the real main
// window: LoadPicture against the decoding library alone on the same file,
// the private bytes the hand-over to the full-screen window adds, and one
// repaint of the stretched pane. Prints figures; asserts nothing.
//   bench_view [--runs N]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "codecs/DecoderLibrary.h"
#include "fullview/Unit2.h"
#include "imagectl/TMultiP.h"
#include "toolkit/Application.h"
#include "toolkit/StdCtrls.h"

#include <jpeglib.h>

namespace {

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

double PrivateMiB() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                       sizeof(pmc));
  return static_cast<double>(pmc.PrivateUsage) / (1024.0 * 1024.0);
}

std::wstring BenchDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring dir = std::wstring(base) + L"lumo-bench";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }

// The 6000 x 4000 quality-90 picture, written once: colour waves with a little
// noise, so that it compresses about as a photograph does.
bool MakePicture(const std::wstring& name) {
  if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::FILE* file = _wfopen(name.c_str(), L"wb");
  if (file == nullptr) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = 6000, cinfo.image_height = 4000;
  cinfo.input_components = 3, cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(6000 * 3);
  std::uint32_t state = 1;
  while (cinfo.next_scanline < cinfo.image_height) {
    const double y = cinfo.next_scanline;
    for (int x = 0; x < 6000; ++x) {
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state >> 29) - 3.5;
      row[3 * x] = Clamp8(128 + 90 * std::sin(x * 0.003 + y * 0.002) + noise);
      row[3 * x + 1] = Clamp8(128 + 90 * std::sin(x * 0.0021 - y * 0.0031) + noise);
      row[3 * x + 2] = Clamp8(128 + 90 * std::cos((x + y) * 0.0017) + noise);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

void Pump() { tk::Application::Instance().ProcessMessages(); }

// The moment the status line gets its text: SetWindowText sends WM_SETTEXT,
// which a call-window hook of this thread sees before the window does.
HWND g_statusLine = nullptr;
double g_statusSet = 0;
LRESULT CALLBACK WatchStatusLine(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && m->hwnd == g_statusLine && m->message == WM_SETTEXT) g_statusSet = Now();
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Main window and full-screen window as the main block makes them.
struct Windows {
  std::unique_ptr<TForm1> form1 = std::make_unique<TForm1>();
  std::unique_ptr<TForm2> form2 = std::make_unique<TForm2>();
  Windows() {
    Form1 = form1.get();
    tk::Application::Instance().SetMainForm(Form1);
    Form1->Create();
    Form1->Show();
    Form2 = form2.get();
    Form2->Create();
    Form2->mainImage = Form1->PMultiImage1;
    Pump();
  }
  ~Windows() {
    Form1->DestroyHandle();
    tk::Application::Instance().SetMainForm(nullptr);
    Pump();
    Form1 = nullptr;
    Form2 = nullptr;
  }
};

// LoadPicture from the call until the status line is set.
double TimeLoadPicture(const std::wstring& picture) {
  g_statusLine = Form1->Panel5->Handle();
  g_statusSet = 0;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchStatusLine, nullptr, GetCurrentThreadId());
  const double t = Now();
  Form1->LoadPicture(picture);
  UnhookWindowsHookEx(hook);
  return g_statusSet - t;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 5;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], L"--runs") == 0) runs = std::max(1, _wtoi(argv[i + 1]));

  const std::wstring dir = BenchDir();
  const std::wstring picture = dir + L"\\BENCH24.JPG";
  std::printf("view: writing the 6000 x 4000 quality-90 JPEG ...\n");
  if (!MakePicture(picture)) {
    std::printf("view: cannot write %ls\n", picture.c_str());
    return 1;
  }
  SetCurrentDirectoryW(dir.c_str());

  tk::RegisterStandardControls();
  RegisterImageControl();

  // The library alone and LoadPicture into fresh windows (the empty state a
  // start or a failed load leaves), interleaved so both meet the same machine;
  // the form asks the library for 24 bits without dithering.
  std::vector<double> library, load;
  for (int i = 0; i < runs; ++i) {
    tk::BitmapObject bitmap;
    const double t = Now();
    const bool decoded = codecs::DecodeFile(codecs::Decoder::kJpeg, picture, 24, 0, bitmap) > 0;
    library.push_back(Now() - t);
    if (!decoded || bitmap.Width() != 6000) {
      std::printf("view: the library did not decode the picture\n");
      return 1;
    }
    bitmap.Clear();
    Windows windows;
    load.push_back(TimeLoadPicture(picture));
    if (Form1->Panel5->Caption() != L"Picture-Info:  6000x4000x16M") {
      std::printf("view: LoadPicture did not show the picture (%ls)\n",
                  Form1->Panel5->Caption().c_str());
      return 1;
    }
  }
  const double lib = Median(library), ld = Median(load);
  std::printf("view: decode in RSTRIM32.DLL alone   %8.1f ms (median of %d)\n", lib * 1e3, runs);
  std::printf("view: LoadPicture to status line     %8.1f ms (median of %d)\n", ld * 1e3, runs);
  std::printf("view: LoadPicture / library          %8.2f   (target at most 1.25)\n", ld / lib);

  Windows windows;
  Form1->LoadPicture(picture);
  Pump();
  // The hand-over to the full-screen window shares the pixels.
  TPMultiImage& full = *Form2->PMultiImage1;
  full.SetImageName(L"");
  const double before = PrivateMiB();
  full.SetPicture(Form1->PMultiImage1->Picture());
  const double after = PrivateMiB();
  std::printf("view: hand-over to full screen adds  %8.2f MiB private (target at most 1 MiB)\n",
              after - before);

  // Repaints of the stretched pane, straight to the window: the first after
  // a change of the picture stretches it, later ones draw the kept copy.
  Form1->BtnStretch->Perform(BM_CLICK);
  Pump();
  TPMultiImage& pane = *Form1->PMultiImage1;
  auto paint = [&] {
    InvalidateRect(pane.Handle(), nullptr, TRUE);
    const double t = Now();
    UpdateWindow(pane.Handle());
    GdiFlush();
    return Now() - t;
  };
  std::vector<double> first, later;
  for (int i = 0; i < runs; ++i) {
    const tk::Picture same(pane.Picture());
    pane.SetPicture(same);  // a change: the kept copy goes
    first.push_back(paint());
    later.push_back(paint());
  }
  std::printf(
      "view: stretched paint %dx%d, stretching %8.2f ms (median of %d; above 20 ms "
      "a scaled copy is kept)\n",
      pane.Width(), pane.Height(), Median(first) * 1e3, runs);
  std::printf("view: stretched paint from the copy    %8.2f ms (median of %d)\n",
              Median(later) * 1e3, runs);
  return 0;
}

// Viewing a 24-megapixel JPEG (6000 x 4000, quality 90) in the real main
// window: LoadPicture against the decoding library alone on the same file,
// the private bytes the hand-over to the full-screen window adds, and one
// repaint of the stretched pane. Prints figures; asserts nothing.
//   bench_view [--runs N]
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
#include "toolkit/Application.h"
#include "toolkit/StdCtrls.h"

namespace {

using bench::Median;
using bench::Now;
using bench::Pump;

// The moment the status line gets its text: SetWindowText sends WM_SETTEXT,
// which a call-window hook of this thread sees before the window does.
HWND g_statusLine = nullptr;
double g_statusSet = 0;
LRESULT CALLBACK WatchStatusLine(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && m->hwnd == g_statusLine && m->message == WM_SETTEXT) g_statusSet = Now();
  return CallNextHookEx(nullptr, code, wp, lp);
}

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

  const std::wstring dir = bench::BenchDir();
  const std::wstring picture = dir + L"\\BENCH24.JPG";
  std::printf("view: writing the 6000 x 4000 quality-90 JPEG ...\n");
  // Written once and kept.
  if (GetFileAttributesW(picture.c_str()) == INVALID_FILE_ATTRIBUTES &&
      !bench::WriteJpeg(picture, 6000, 4000)) {
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
    bench::Windows windows;
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

  bench::Windows windows;
  Form1->LoadPicture(picture);
  Pump();
  // The hand-over to the full-screen window shares the pixels.
  TPMultiImage& full = *Form2->PMultiImage1;
  full.SetImageName(L"");
  const double before = bench::PrivateBytes() / bench::kMiB;
  full.SetPicture(Form1->PMultiImage1->Picture());
  const double after = bench::PrivateBytes() / bench::kMiB;
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

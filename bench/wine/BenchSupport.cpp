#include "bench/wine/BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>

#include "bench/BenchPictures.h"
#include "imagectl/TMultiP.h"
#include "toolkit/Application.h"
#include "toolkit/CodePages.h"

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

bool WriteJpeg(const std::wstring& name, int width, int height) {
  // The writer opens a narrow name: the ANSI one, where the name has one.
  const auto ansi = tk::ToAnsiExact(name);
  return ansi && WriteJpeg(*ansi, width, height);
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

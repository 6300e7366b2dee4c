// A hostile scroller file in the image control: a 16 MiB .CMS of empty lines
// written into ImageName, against the file's size the working set the load
// adds at its peak, and the private bytes still held after the next load.
// Prints figures; asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "imagectl/TMultiP.h"
#include "toolkit/Form.h"
#include "toolkit/StdCtrls.h"

namespace {

constexpr std::size_t kFileBytes = std::size_t{16} << 20;
constexpr double kMiB = 1024.0 * 1024.0;

PROCESS_MEMORY_COUNTERS_EX Memory() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                       sizeof(pmc));
  return pmc;
}

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

bool WriteText(const std::wstring& name, const std::string& text) {
  std::FILE* file = _wfopen(name.c_str(), L"wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int wmain() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring hostile = std::wstring(base) + L"lumo-bench-empty.cms";
  const std::wstring next = std::wstring(base) + L"lumo-bench-next.cms";
  // Settings on lines 2 to 8, then nothing but line ends up to 16 MiB.
  const std::string settings = "x\n255\n-13\nSYSTEM\n10\n0000\n128\n0\n";
  std::string text = settings + std::string(kFileBytes - settings.size(), '\n');
  if (!WriteText(hostile, text) || !WriteText(next, settings + "Next\n")) {
    std::printf("scroller: cannot write %ls\n", hostile.c_str());
    return 1;
  }
  std::string().swap(text);

  tk::RegisterStandardControls();
  RegisterImageControl();
  tk::Form form;
  form.SetBounds(0, 0, 400, 300);
  form.Handle();
  auto owned = std::make_unique<TPMultiImage>();
  TPMultiImage& image = *owned;
  form.AddComponent(std::move(owned));
  image.SetParent(&form);
  image.SetBounds(4, 4, 352, 264);

  const PROCESS_MEMORY_COUNTERS_EX before = Memory();
  const double t = Now();
  image.SetImageName(hostile);
  const double load = Now() - t;
  const PROCESS_MEMORY_COUNTERS_EX loaded = Memory();
  image.SetImageName(next);
  const PROCESS_MEMORY_COUNTERS_EX after = Memory();

  const double peak =
      static_cast<double>(loaded.PeakWorkingSetSize) - static_cast<double>(before.WorkingSetSize);
  std::printf("scroller: 16 MiB .CMS of empty lines, load   %8.1f ms\n", load * 1e3);
  std::printf(
      "scroller: working set added at the peak      %8.1f MiB = %.2f x the file (target at most "
      "8)\n",
      peak / kMiB, peak / static_cast<double>(kFileBytes));
  std::printf(
      "scroller: private bytes held after next load %8.2f MiB (target under 1 MiB)\n",
      (static_cast<double>(after.PrivateUsage) - static_cast<double>(before.PrivateUsage)) / kMiB);
  DeleteFileW(hostile.c_str());
  DeleteFileW(next.c_str());
  return 0;
}

// The file browser measured from outside, on the real LUMOS32.EXE: how long the
// main window takes to show with its list filled in a directory of 20,000
// files against one of two files, and how long one keystroke in the name box
// takes there. Keystrokes go by SendMessage, so each call's time is the time
// the program spent handling it. Prints figures only; no limit is asserted.
// Argument: another LUMOS32.EXE to measure (default: the one beside this).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kManyFiles = 20000;
constexpr int kRuns = 3;

double Now() {
  static const double period = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1.0 / static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * period;
}

std::wstring programPath;

std::wstring ProgramBesideThis() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir = self;
  return dir.substr(0, dir.find_last_of(L'\\') + 1) + L"LUMOS32.EXE";
}

std::wstring TempDir(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring dir = std::wstring(base) + name;
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

int CountEntries(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    ++n;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return n;
}

// Names spread over a few prefixes, so the search has ranges to narrow.
std::wstring BenchName(int i) {
  static const wchar_t* const kPrefixes[] = {L"IMG_", L"DSC", L"scan-", L"P", L"holiday "};
  wchar_t buf[64];
  swprintf(buf, 64, L"%ls%05d.%ls", kPrefixes[i % 5], i, (i % 7) ? L"JPG" : L"bmp");
  return buf;
}

// Makes the directory once; later runs reuse it.
void MakeFiles(const std::wstring& dir, int count) {
  if (CountEntries(dir) >= count + 2) return;  // + "." and ".."
  for (int i = 0; i < count; ++i) {
    const std::wstring name = dir + L"\\" + BenchName(i);
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

struct Found {
  DWORD pid;
  HWND wnd;
};

BOOL CALLBACK MatchMain(HWND w, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t cls[32];
  if (pid != f->pid || !IsWindowVisible(w) || !GetClassNameW(w, cls, 32) ||
      wcscmp(cls, L"TForm") != 0)
    return TRUE;
  f->wnd = w;
  return FALSE;
}

struct Children {
  HWND list = nullptr;
  HWND edit = nullptr;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<Children*>(lp);
  wchar_t cls[32];
  if (!GetClassNameW(w, cls, 32)) return TRUE;
  if (!c->list && _wcsicmp(cls, L"ListBox") == 0) c->list = w;
  if (!c->edit && _wcsicmp(cls, L"Edit") == 0) c->edit = w;
  return TRUE;
}

class Program {
 public:
  explicit Program(const std::wstring& dir) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + programPath + L"\"";
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                              &si, &pi_) != FALSE;
  }
  ~Program() {
    if (!started_) return;
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0)
      TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Waits until the main window is visible and its list holds `entries`
  // items; false after 60 s or when the program ended.
  bool WaitShown(int entries) {
    const double end = Now() + 60;
    while (started_ && Now() < end && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      Found f{pi_.dwProcessId, nullptr};
      EnumWindows(MatchMain, reinterpret_cast<LPARAM>(&f));
      if (f.wnd) {
        EnumChildWindows(f.wnd, MatchChild, reinterpret_cast<LPARAM>(&children_));
        if (children_.list && SendMessageW(children_.list, LB_GETCOUNT, 0, 0) >= entries) {
          main_ = f.wnd;
          return true;
        }
      }
      Sleep(2);
    }
    return false;
  }
  const Children& Windows() const { return children_; }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
  HWND main_ = nullptr;
  Children children_;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Time from CreateProcess to the shown window with its list filled.
double TimeToShown(const std::wstring& dir, int entries) {
  const double t0 = Now();
  Program p(dir);
  if (!p.WaitShown(entries)) return -1;
  return Now() - t0;
}

std::wstring SelectedItem(HWND list) {
  const LRESULT sel = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (sel < 0) return L"(none)";
  const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(sel), 0);
  if (len < 0 || len > 1000) return L"(?)";
  std::wstring s(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(len));
  return s;
}

// One keystroke as the keyboard would deliver it: key down, character, key up.
double Keystroke(HWND edit, wchar_t ch) {
  const WPARAM vk = static_cast<WPARAM>(towupper(ch));
  const double t0 = Now();
  SendMessageW(edit, WM_KEYDOWN, vk, 1);
  SendMessageW(edit, WM_CHAR, ch, 1);
  SendMessageW(edit, WM_KEYUP, vk, 0xC0000001);
  return Now() - t0;
}

// Types the text into an emptied name box; adds each keystroke's time.
void TypeInto(const Children& w, const std::wstring& text, std::vector<double>& all) {
  SendMessageW(w.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  std::printf("  typing \"%ls\": per keystroke", text.c_str());
  for (wchar_t ch : text) {
    all.push_back(Keystroke(w.edit, ch));
    std::printf(" %.1f", all.back() * 1000);
  }
  std::printf(" ms; selected %ls\n", SelectedItem(w.list).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  programPath = argc > 1 ? argv[1] : ProgramBesideThis();
  std::printf("program: %ls\n", programPath.c_str());
  TempDir(L"lumo-bench-browser");
  const std::wstring many = TempDir(L"lumo-bench-browser\\many");
  const std::wstring two = TempDir(L"lumo-bench-browser\\two");
  MakeFiles(many, kManyFiles);
  MakeFiles(two, 2);
  const int manyEntries = CountEntries(many);  // the list shows [.] and [..] too
  const int twoEntries = CountEntries(two);

  const double e0 = Now();
  const int enumerated = CountEntries(many);
  std::printf("raw enumeration of %d entries: %.3f s\n", enumerated, Now() - e0);

  std::vector<double> shownTwo, shownMany;
  for (int run = 0; run < kRuns; ++run) {
    shownTwo.push_back(TimeToShown(two, twoEntries));
    shownMany.push_back(TimeToShown(many, manyEntries));
  }
  const double a = Median(shownTwo), b = Median(shownMany);
  std::printf(
      "window shown with its list, median of %d: two files %.3f s, %d entries %.3f s, "
      "difference %.3f s (target: at most 0.5 s)\n",
      kRuns, a, manyEntries, b, b - a);

  Program p(many);
  if (!p.WaitShown(manyEntries) || !p.Windows().edit) {
    std::printf("the program did not show its window\n");
    return 1;
  }
  std::printf("keystrokes in the name box (%d entries):\n", manyEntries);
  std::vector<double> times;
  for (const wchar_t* text : {L"IMG_1", L"holiday 19", L"Q", L"scan-0"})
    TypeInto(p.Windows(), text, times);
  std::printf("one keystroke: median %.1f ms, max %.1f ms (target: at most 30 ms)\n",
              Median(times) * 1000, *std::max_element(times.begin(), times.end()) * 1000);
  return 0;
}

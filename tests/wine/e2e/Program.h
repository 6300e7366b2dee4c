// Starting the real programs and finding their windows, for the end-to-end
// tests.
#pragma once
#include <windows.h>

#include <string>

#include "Files.h"

inline std::wstring ExePath() { return BinDir() + L"LUMOS32.EXE"; }

// What a top-level window must match; empty fields match anything.
struct WindowSearch {
  DWORD pid;
  std::wstring image;  // the file name of the program the process runs
  std::wstring cls, caption;
  HWND found = nullptr;
};

inline bool RunsImage(DWORD pid, const std::wstring& image) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  wchar_t path[MAX_PATH];
  DWORD n = MAX_PATH;
  const bool ok = process && QueryFullProcessImageNameW(process, 0, path, &n);
  if (process) CloseHandle(process);
  const std::wstring name = ok ? std::wstring(path, n) : L"";
  return ok && _wcsicmp(name.substr(name.find_last_of(L'\\') + 1).c_str(), image.c_str()) == 0;
}

inline BOOL CALLBACK MatchWindow(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if ((s->pid && pid != s->pid) || !IsWindowVisible(w)) return TRUE;
  wchar_t cls[64], text[256];
  GetClassNameW(w, cls, 64);
  GetWindowTextW(w, text, 256);
  if ((s->cls.empty() || s->cls == cls) && (s->caption.empty() || s->caption == text) &&
      (s->image.empty() || RunsImage(pid, s->image))) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// Looks until the window shows, the time is up or goOn says no more.
template <typename GoOn>
HWND FindTopWindow(WindowSearch search, DWORD timeoutMs, GoOn goOn) {
  const DWORD end = GetTickCount() + timeoutMs;
  do {
    search.found = nullptr;
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(100);
  } while (GetTickCount() < end && goOn());
  return nullptr;
}

class Program {
 public:
  explicit Program(const std::wstring& args, WORD show = SW_SHOWNORMAL,
                   const std::wstring& exe = ExePath()) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != FALSE;
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  bool WaitForExit(DWORD ms) { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

  // A visible top-level window of the process whose class or caption matches.
  HWND FindWindowOf(const std::wstring& cls, const std::wstring& caption, DWORD timeoutMs) {
    return FindTopWindow({pi_.dwProcessId, L"", cls, caption}, timeoutMs,
                         [this] { return !WaitForExit(0); });
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

struct ChildSearch {
  std::wstring text;
  HWND found;
};

inline BOOL CALLBACK MatchChild(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ChildSearch*>(lp);
  wchar_t buf[256];
  GetWindowTextW(w, buf, 256);
  if (s->text == buf) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

inline HWND FindChildByText(HWND parent, const std::wstring& text) {
  ChildSearch s{text, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

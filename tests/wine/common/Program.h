// Starting the real programs (and test helpers) and finding their windows.
#pragma once
#include <windows.h>

#include <string>

#include "Files.h"

inline std::wstring ExePath() { return BinDir() + L"LUMOS32.EXE"; }

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
  // Ends it now and waits until it has ended.
  void End() {
    TerminateProcess(pi_.hProcess, 1);
    WaitForExit(INFINITE);
  }
  bool Started() const { return started_; }
  bool WaitForExit(DWORD ms) { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

  // A visible top-level window of the process whose class or caption matches.
  HWND FindWindowOf(const std::wstring& cls, const std::wstring& caption, DWORD timeoutMs) {
    const DWORD end = GetTickCount() + timeoutMs;
    do {
      Search s{pi_.dwProcessId, cls, caption, nullptr};
      EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
      if (s.found) return s.found;
      Sleep(100);
    } while (GetTickCount() < end && !WaitForExit(0));
    return nullptr;
  }

 private:
  struct Search {
    DWORD pid;
    std::wstring cls, caption;
    HWND found;
  };
  static BOOL CALLBACK Match(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
    wchar_t cls[64], text[256];
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, text, 256);
    if ((s->cls.empty() || s->cls == cls) && (s->caption.empty() || s->caption == text)) {
      s->found = w;
      return FALSE;
    }
    return TRUE;
  }
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

// Starting the real programs (and test helpers) and finding their windows.
#pragma once
#include <windows.h>

#include <string>

#include "Files.h"

// WM_GETTEXT: GetWindowText does not ask a window of another process.
inline std::wstring TextOf(HWND w) {
  wchar_t buf[512] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                      &got);
  return buf;
}

// The first window of the class with the text (either any when empty), after
// the one of that class with the text `after`: a descendant of `parent`, or
// with no parent a visible top-level window of the process `pid`.
struct WindowSearch {
  std::wstring cls, text, after;
  DWORD pid;
  bool seen;
  HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t name[64];
  GetClassNameW(w, name, 64);
  if ((s->pid && (pid != s->pid || !IsWindowVisible(w))) || (!s->cls.empty() && s->cls != name))
    return TRUE;
  const std::wstring shown = TextOf(w);
  if (s->seen && (s->text.empty() || s->text == shown)) return s->found = w, FALSE;
  if (!s->seen) s->seen = shown == s->after;
  return TRUE;
}

inline HWND FindWindowIn(HWND parent, const std::wstring& cls, const std::wstring& text = L"",
                         const std::wstring& after = L"", DWORD pid = 0) {
  WindowSearch search{cls, text, after, pid, after.empty(), nullptr};
  const LPARAM lp = reinterpret_cast<LPARAM>(&search);
  parent ? EnumChildWindows(parent, MatchWindow, lp) : EnumWindows(MatchWindow, lp);
  return search.found;
}

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

  // A visible top-level window of the process whose class and caption match.
  HWND FindWindowOf(const std::wstring& cls, const std::wstring& caption, DWORD timeoutMs) {
    const DWORD end = GetTickCount() + timeoutMs;
    do {
      if (HWND w = FindWindowIn(nullptr, cls, caption, L"", pi_.dwProcessId)) return w;
      Sleep(100);
    } while (GetTickCount() < end && !WaitForExit(0));
    return nullptr;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

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

// WM_GETTEXT: GetWindowText does not ask a window of another process.
inline std::wstring TextOf(HWND w) {
  wchar_t buf[512] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                      &got);
  return buf;
}

// The first descendant with the text (any class), or with the class (and
// after the one of that class with the text `after`).
struct DescendantSearch {
  std::wstring cls, after, text;
  bool seen;
  HWND found;
};

inline BOOL CALLBACK MatchDescendant(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<DescendantSearch*>(lp);
  wchar_t name[64];
  GetClassNameW(w, name, 64);
  if (!s->cls.empty() && s->cls != name) return TRUE;
  const std::wstring shown = TextOf(w);
  if (s->seen && (s->text.empty() || s->text == shown)) return s->found = w, FALSE;
  if (!s->seen) s->seen = shown == s->after;
  return TRUE;
}

inline HWND Descendant(HWND parent, const std::wstring& cls, const std::wstring& after = L"",
                       const std::wstring& text = L"") {
  DescendantSearch search{cls, after, text, after.empty(), nullptr};
  EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND FindChildByText(HWND parent, const std::wstring& text) {
  return Descendant(parent, L"", L"", text);
}

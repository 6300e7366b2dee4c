// The uninstaller's work: reads the log the program wrote, waits until the
// program has ended, removes the listed files inside the program's directory,
// the directory and the log, and says what it did. Nothing here raises or
// shows a message on its own: every outcome, failures included, is a Report,
// which the program shows once at its end.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/Services.h"

namespace razuvude {

struct Report {
  tk::MsgKind kind = tk::MsgKind::Error;
  std::wstring text;
};

struct WaitPolicy {
  DWORD limitMs = 30000;
  // Runs between two looks at the running programs; the default sleeps.
  std::function<void()> pause = [] { Sleep(250); };
};

Report Uninstall(const std::wstring& logFile, const WaitPolicy& wait);
// For a command line that names no log.
Report NoLogNamed();
void ShowReport(const Report& report);

}  // namespace razuvude

// Dialogs, beeps, help-engine and shell calls go through these services so tests
// can answer dialogs and record calls; the defaults call Win32.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

namespace tk {

enum class MsgKind { Warning, Error, Information, Confirmation };

// Buttons of a message dialog, combinable.
enum MsgButtons : unsigned { mbOK = 1, mbYes = 2, mbNo = 4, mbYesNo = mbYes | mbNo };

// Dialog results.
enum ModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

class DialogService {
 public:
  virtual ~DialogService() = default;
  virtual int MessageDlg(const std::wstring& text, MsgKind kind, unsigned buttons,
                         int helpContext) = 0;
  // Returns true on OK; value is in/out.
  virtual bool InputQuery(const std::wstring& caption, const std::wstring& prompt,
                          std::wstring& value) = 0;
};

class SoundService {
 public:
  virtual ~SoundService() = default;
  virtual void Beep(UINT type) = 0;
};

class HelpService {
 public:
  virtual ~HelpService() = default;
  virtual bool WinHelp(HWND owner, const std::wstring& file, UINT command, ULONG_PTR data) = 0;
};

class ShellService {
 public:
  virtual ~ShellService() = default;
  // An empty verb is the file's default one.
  virtual INT_PTR Open(HWND owner, const std::wstring& verb, const std::wstring& file,
                       const std::wstring& params, const std::wstring& dir, int show) = 0;
};

struct Services {
  std::unique_ptr<DialogService> dialogs;
  std::unique_ptr<SoundService> sound;
  std::unique_ptr<HelpService> help;
  std::unique_ptr<ShellService> shell;
};

// The process-wide services; tests swap single members.
Services& GetServices();
void ResetServices();  // back to the real Win32 ones

DialogService& Dialogs();
SoundService& Sound();
HelpService& Help();
ShellService& Shell();

// Each kind's caption (the toolkit's standard text), sound and icon.
const wchar_t* KindCaption(MsgKind kind);
UINT KindBeep(MsgKind kind);
const wchar_t* KindIcon(MsgKind kind);

// The message dialog alone, without a sound.
int MessageDlg(const std::wstring& text, MsgKind kind, unsigned buttons, int helpContext = 0);
// MessageBeep with the kind's sound, then the message dialog: the way the
// program tells the user something.
int BeepAndMessageDlg(const std::wstring& text, MsgKind kind, unsigned buttons);

}  // namespace tk

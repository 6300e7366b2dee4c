#include "toolkit/Services.h"

#include <shellapi.h>

#include "toolkit/Dialogs.h"

namespace tk {
namespace {

class Win32Dialogs : public DialogService {
 public:
  int MessageDlg(const std::wstring& text, MsgKind kind, unsigned buttons, int) override {
    return ShowMessageDialog(text, kind, buttons);
  }
  bool InputQuery(const std::wstring& caption, const std::wstring& prompt,
                  std::wstring& value) override {
    return ShowInputDialog(caption, prompt, value);
  }
};

class Win32Sound : public SoundService {
 public:
  void Beep(UINT type) override { MessageBeep(type); }
};

class Win32Help : public HelpService {
 public:
  bool WinHelp(HWND owner, const std::wstring& file, UINT command, ULONG_PTR data) override {
    return ::WinHelpW(owner, file.c_str(), command, data) != FALSE;
  }
};

class Win32Shell : public ShellService {
 public:
  INT_PTR Open(HWND owner, const std::wstring& verb, const std::wstring& file,
               const std::wstring& params, const std::wstring& dir, int show) override {
    return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, verb.empty() ? nullptr : verb.c_str(),
                                                   file.c_str(), params.c_str(),
                                                   dir.empty() ? nullptr : dir.c_str(), show));
  }
};

Services MakeReal() {
  Services s;
  s.dialogs = std::make_unique<Win32Dialogs>();
  s.sound = std::make_unique<Win32Sound>();
  s.help = std::make_unique<Win32Help>();
  s.shell = std::make_unique<Win32Shell>();
  return s;
}

}  // namespace

Services& GetServices() {
  static Services services = MakeReal();
  return services;
}

void ResetServices() { GetServices() = MakeReal(); }

DialogService& Dialogs() { return *GetServices().dialogs; }
SoundService& Sound() { return *GetServices().sound; }
HelpService& Help() { return *GetServices().help; }
ShellService& Shell() { return *GetServices().shell; }

namespace {

struct KindLook {
  MsgKind kind;
  const wchar_t* caption;
  UINT beep;
  const wchar_t* icon;
};

const KindLook& LookOf(MsgKind kind) {
  static const KindLook kLooks[] = {
      {MsgKind::Warning, L"Warnung", MB_ICONEXCLAMATION, IDI_WARNING},
      {MsgKind::Error, L"Fehler", MB_ICONHAND, IDI_ERROR},
      {MsgKind::Information, L"Information", MB_ICONASTERISK, IDI_INFORMATION},
      {MsgKind::Confirmation, L"Bestätigen", MB_ICONQUESTION, IDI_QUESTION}};
  for (const KindLook& look : kLooks)
    if (look.kind == kind) return look;
  return kLooks[2];
}

}  // namespace

const wchar_t* KindCaption(MsgKind kind) { return LookOf(kind).caption; }
UINT KindBeep(MsgKind kind) { return LookOf(kind).beep; }
const wchar_t* KindIcon(MsgKind kind) { return LookOf(kind).icon; }

int MessageDlg(const std::wstring& text, MsgKind kind, unsigned buttons, int helpContext) {
  return Dialogs().MessageDlg(text, kind, buttons, helpContext);
}

int BeepAndMessageDlg(const std::wstring& text, MsgKind kind, unsigned buttons) {
  Sound().Beep(KindBeep(kind));
  return MessageDlg(text, kind, buttons);
}

}  // namespace tk

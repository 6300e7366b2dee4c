#include "Recorders.h"

#include <memory>

namespace testing_support {
namespace {

// The recorder of the services installed now: the services are global too.
Recorder* current = nullptr;

// The next scripted answer, or the default when the script has run out.
template <typename T>
T Next(std::deque<T>& answers, T otherwise) {
  if (answers.empty()) return otherwise;
  T a = answers.front();
  answers.pop_front();
  return a;
}

struct FakeDialogs : tk::DialogService {
  int MessageDlg(const std::wstring& text, tk::MsgKind kind, unsigned buttons, int) override {
    current->dialogs.push_back({text, kind, buttons});
    return Next(current->answers, static_cast<int>(tk::mrOk));
  }
  bool InputQuery(const std::wstring& caption, const std::wstring& prompt,
                  std::wstring& value) override {
    current->inputs.emplace_back(caption + L"|" + prompt, value);
    const auto [ok, text] = Next(current->inputAnswers, {false, std::wstring()});
    if (ok) value = text;
    return ok;
  }
};

struct FakeSound : tk::SoundService {
  void Beep(UINT type) override { current->beeps.push_back(type); }
};

struct FakeHelp : tk::HelpService {
  bool WinHelp(HWND, const std::wstring& file, UINT command, ULONG_PTR data) override {
    current->help.push_back({file, command, data});
    return true;
  }
};

struct FakeShell : tk::ShellService {
  INT_PTR Open(HWND, const std::wstring& verb, const std::wstring& file, const std::wstring& params,
               const std::wstring&, int) override {
    current->shell.push_back((verb.empty() ? L"" : verb + L":") + file + L" " + params);
    return 42;
  }
};

}  // namespace

RecordingServices::RecordingServices() {
  current = &rec_;
  auto& s = tk::GetServices();
  s.dialogs = std::make_unique<FakeDialogs>();
  s.sound = std::make_unique<FakeSound>();
  s.help = std::make_unique<FakeHelp>();
  s.shell = std::make_unique<FakeShell>();
}

RecordingServices::~RecordingServices() { tk::ResetServices(); }

}  // namespace testing_support

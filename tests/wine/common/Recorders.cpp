#include "Recorders.h"

#include <memory>

namespace testing_support {
namespace {

class FakeDialogs : public tk::DialogService {
 public:
  explicit FakeDialogs(Recorder& r) : r_(r) {}
  int MessageDlg(const std::wstring& text, tk::MsgKind kind, unsigned buttons, int) override {
    r_.dialogs.push_back({text, kind, buttons});
    if (r_.answers.empty()) return tk::mrOk;
    const int a = r_.answers.front();
    r_.answers.pop_front();
    return a;
  }
  bool InputQuery(const std::wstring& caption, const std::wstring& prompt,
                  std::wstring& value) override {
    r_.inputs.emplace_back(caption + L"|" + prompt, value);
    if (r_.inputAnswers.empty()) return false;
    auto a = r_.inputAnswers.front();
    r_.inputAnswers.pop_front();
    if (a.first) value = a.second;
    return a.first;
  }

 private:
  Recorder& r_;
};

class FakeSound : public tk::SoundService {
 public:
  explicit FakeSound(Recorder& r) : r_(r) {}
  void Beep(UINT type) override { r_.beeps.push_back(type); }

 private:
  Recorder& r_;
};

class FakeHelp : public tk::HelpService {
 public:
  explicit FakeHelp(Recorder& r) : r_(r) {}
  bool WinHelp(HWND, const std::wstring& file, UINT command, ULONG_PTR data) override {
    r_.help.push_back({file, command, data});
    return true;
  }

 private:
  Recorder& r_;
};

class FakeShell : public tk::ShellService {
 public:
  explicit FakeShell(Recorder& r) : r_(r) {}
  INT_PTR Open(HWND, const std::wstring& verb, const std::wstring& file, const std::wstring& params,
               const std::wstring&, int) override {
    r_.shell.push_back((verb.empty() ? L"" : verb + L":") + file + L" " + params);
    return 42;
  }

 private:
  Recorder& r_;
};

}  // namespace

RecordingServices::RecordingServices() {
  auto& s = tk::GetServices();
  s.dialogs = std::make_unique<FakeDialogs>(rec_);
  s.sound = std::make_unique<FakeSound>(rec_);
  s.help = std::make_unique<FakeHelp>(rec_);
  s.shell = std::make_unique<FakeShell>(rec_);
}

RecordingServices::~RecordingServices() { tk::ResetServices(); }

}  // namespace testing_support

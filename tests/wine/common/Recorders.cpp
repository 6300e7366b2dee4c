#include "Recorders.h"

#include <memory>

namespace testing_support {
namespace {

// A service that writes what it is asked into the test's recorder.
template <typename Service>
struct Fake : Service {
  explicit Fake(Recorder& r) : rec(r) {}
  Recorder& rec;
};

// The next scripted answer, or the default when the script has run out.
template <typename T>
T Next(std::deque<T>& answers, T otherwise) {
  if (answers.empty()) return otherwise;
  T a = answers.front();
  answers.pop_front();
  return a;
}

struct FakeDialogs : Fake<tk::DialogService> {
  using Fake::Fake;
  int MessageDlg(const std::wstring& text, tk::MsgKind kind, unsigned buttons, int) override {
    rec.dialogs.push_back({text, kind, buttons});
    return Next(rec.answers, static_cast<int>(tk::mrOk));
  }
  bool InputQuery(const std::wstring& caption, const std::wstring& prompt,
                  std::wstring& value) override {
    rec.inputs.emplace_back(caption + L"|" + prompt, value);
    const auto [ok, text] = Next(rec.inputAnswers, {false, std::wstring()});
    if (ok) value = text;
    return ok;
  }
};

struct FakeSound : Fake<tk::SoundService> {
  using Fake::Fake;
  void Beep(UINT type) override { rec.beeps.push_back(type); }
};

struct FakeHelp : Fake<tk::HelpService> {
  using Fake::Fake;
  bool WinHelp(HWND, const std::wstring& file, UINT command, ULONG_PTR data) override {
    rec.help.push_back({file, command, data});
    return true;
  }
};

struct FakeShell : Fake<tk::ShellService> {
  using Fake::Fake;
  INT_PTR Open(HWND, const std::wstring& verb, const std::wstring& file, const std::wstring& params,
               const std::wstring&, int) override {
    rec.shell.push_back((verb.empty() ? L"" : verb + L":") + file + L" " + params);
    return 42;
  }
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

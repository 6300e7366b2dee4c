// Services that record what the program asked for and answer dialogs from a
// script, installed for the life of one test.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "toolkit/Services.h"

namespace testing_support {

struct DialogCall {
  std::wstring text;
  tk::MsgKind kind;
  unsigned buttons;
};

struct HelpCall {
  std::wstring file;
  UINT command;
  ULONG_PTR data;
};

struct Recorder {
  std::vector<DialogCall> dialogs;
  std::deque<int> answers;  // next answers; mrOk when empty
  std::vector<std::pair<std::wstring, std::wstring>> inputs;
  std::deque<std::pair<bool, std::wstring>> inputAnswers;
  std::vector<UINT> beeps;
  std::vector<HelpCall> help;
  std::vector<std::wstring> shell;
};

// Installs recording services; the destructor puts the real ones back.
class RecordingServices {
 public:
  RecordingServices();
  ~RecordingServices();
  Recorder& rec() { return rec_; }

 private:
  Recorder rec_;
};

}  // namespace testing_support

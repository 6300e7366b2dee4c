// The main block: system entries, the uninstall switch, the two windows, a
// picture named on the command line, then the message loop.
#include <windows.h>

#include <memory>

#include "app/Unit1.h"
#include "fullview/Unit2.h"
#include "imagectl/TMultiP.h"
#include "toolkit/Application.h"
#include "toolkit/Services.h"
#include "toolkit/StdCtrls.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/Uninstall.h"
#include "util/portable/PathUtil.h"

namespace {

void OpenCommandLinePicture(const std::wstring& param) {
  if (!util::FileExists(param) || !util::IsPictureFile(param)) return;
  TForm1& f = *Form1;
  f.FileListBox1->ApplyFilePath(util::DirectoryPart(param));
  const std::wstring dir = f.FileListBox1->Directory();
  if (!dir.empty()) f.DriveComboBox1->SetDrive(dir[0]);
  f.Label2->SetCaption(util::ShortenPath(f.FileListBox1->Directory(), 30));
  const std::wstring name = util::FileNamePart(param);
  const auto items = f.FileListBox1->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (_wcsicmp(items[i].c_str(), name.c_str()) == 0) {
      f.FileListBox1->SetItemIndex(static_cast<int>(i));
      f.Edit1->SetText(util::UpperAscii(name));
      break;
    }
  }
  tk::Application::Instance().ProcessMessages();
  f.SetActiveControl(f.FileListBox1);
  std::wstring full = f.FileListBox1->Directory();
  if (full.empty() || full.back() != L'\\') full += L'\\';
  f.LoadPicture(util::UpperAscii(full + name));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tk::RegisterStandardControls();
  RegisterImageControl();
  util::WriteSystemEntries();

  const auto params = util::SplitCommandLine(GetCommandLineW());
  const std::wstring first = params.size() > 1 ? params[1] : std::wstring();
  if (util::UpperAscii(first) == L"-U") {
    tk::Sound().Beep(MB_ICONQUESTION);
    const int answer = tk::MessageDlg(
        L"Lumoscope -32 is going to delete itself from your system.\r"
        L"Do you want to proceed the Uninstall process ?",
        tk::MsgKind::Confirmation, tk::mbYesNo, 0);
    if (answer == tk::mrYes) util::UninstallProgram();
    return 0;
  }

  auto& app = tk::Application::Instance();
  auto form1 = std::make_unique<TForm1>();
  Form1 = form1.get();
  app.SetMainForm(Form1);
  Form1->Create();
  Form1->Show();
  auto form2 = std::make_unique<TForm2>();
  Form2 = form2.get();
  Form2->Create();

  if (params.size() > 1) {
    try {
      OpenCommandLinePicture(first);
    } catch (const std::exception& e) {
      app.HandleException(e);
    }
  }
  app.Run();
  app.SetMainForm(nullptr);
  return 0;
}

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
#include "toolkit/portable/FileName.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tk::RegisterStandardControls();
  RegisterImageControl();
  util::WriteSystemEntries();

  const auto params = util::SplitCommandLine(GetCommandLineW());
  const std::wstring first = params.size() > 1 ? params[1] : std::wstring();
  if (tk::UpperAscii(first) == L"-U") {
    if (util::RelaunchElevatedIfNeeded()) return 0;
    const int answer = tk::BeepAndMessageDlg(
        L"Lumoscope -32 is going to delete itself from your system.\r"
        L"Do you want to proceed the Uninstall process ?",
        tk::MsgKind::Confirmation, tk::mbYesNo);
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
  Form2->mainImage = Form1->PMultiImage1;

  if (params.size() > 1) {
    try {
      Form1->OpenCommandLinePicture(first);
    } catch (const std::exception& e) {
      app.HandleException(e);
    }
  }
  app.Run();
  app.SetMainForm(nullptr);
  return 0;
}

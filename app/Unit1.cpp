#include "app/Unit1.h"

#include <windows.h>

#include "imagectl/TMultiP.h"
#include "forms/Form1.h"
#include "fullview/Unit2.h"
#include "toolkit/Application.h"
#include "toolkit/Services.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"

TForm1* Form1 = nullptr;

namespace {

constexpr size_t kPathLabelLimit = 30;

WORD ProcessShowWindow() {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  GetStartupInfoW(&si);
  // Taken whether or not STARTF_USESHOWWINDOW marks it as set.
  return si.wShowWindow;
}

void Beep(UINT type) { tk::Sound().Beep(type); }

DWORD Attributes(const std::wstring& name) {
  return name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
}

bool IsPlainFile(DWORD attr) {
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int StartupShowCommand(WORD showWindow) {
  switch (showWindow) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      return SW_MINIMIZE;
    case SW_SHOWMAXIMIZED:
      return SW_SHOWMAXIMIZED;
    default:
      return 0;
  }
}

TForm1::TForm1() : startupShowWindow(&ProcessShowWindow) { WireHandlers(); }

TForm1::~TForm1() {
  auto& app = tk::Application::Instance();
  if (app.MainForm() == this) app.OnMessage = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::WireHandlers() {
  notifyHandlers[L"FormCreate"] = [this](Control&) { FormCreate(); };
  notifyHandlers[L"FormDestroy"] = [this](Control&) { FormDestroy(); };
  notifyHandlers[L"FormPaint"] = [this](Control&) { FormPaint(); };
  notifyHandlers[L"BtnStretchClick"] = [this](Control&) { BtnStretchClick(); };
  notifyHandlers[L"ButtonVollbildClick"] = [this](Control&) { ButtonVollbildClick(); };
  notifyHandlers[L"ButtonCpyClick"] = [this](Control&) { ButtonCpyClick(); };
  notifyHandlers[L"ButtonExitClick"] = [this](Control&) { ButtonExitClick(); };
  notifyHandlers[L"DriveComboBox1Change"] = [this](Control&) { DriveComboBox1Change(); };
  notifyHandlers[L"Edit1Change"] = [this](Control&) { Edit1Change(); };
  notifyHandlers[L"FileListBox1DblClick"] = [this](Control&) { FileListBox1DblClick(); };
  keyPressHandlers[L"DriveComboBox1KeyPress"] = [this](Control&, wchar_t& k) {
    DriveComboBox1KeyPress(k);
  };
  keyPressHandlers[L"Edit1KeyPress"] = [this](Control&, wchar_t& k) { Edit1KeyPress(k); };
  keyPressHandlers[L"FileListBox1KeyPress"] = [this](Control&, wchar_t& k) {
    FileListBox1KeyPress(k);
  };
  keyHandlers[L"Edit1KeyUp"] = [this](Control&, WORD& k, unsigned s) { Edit1KeyUp(k, s); };
  keyHandlers[L"FileListBox1KeyDown"] = [this](Control&, WORD& k, unsigned s) {
    FileListBox1KeyDown(k, s);
  };
}

void TForm1::Create() { Load(forms::Form1Resource()); }

void TForm1::BindMembers() {
  Panel1 = Component<tk::Panel>(L"Panel1");
  Panel2 = Component<tk::Panel>(L"Panel2");
  Label1 = Component<tk::Label>(L"Label1");
  Label2 = Component<tk::Label>(L"Label2");
  Panel3 = Component<tk::Panel>(L"Panel3");
  Panel4 = Component<tk::Panel>(L"Panel4");
  Panel5 = Component<tk::Panel>(L"Panel5");
  Panel6 = Component<tk::Panel>(L"Panel6");
  DriveComboBox1 = Component<tk::DriveComboBox>(L"DriveComboBox1");
  Edit1 = Component<tk::Edit>(L"Edit1");
  FileListBox1 = Component<tk::FileListBox>(L"FileListBox1");
  BtnStretch = Component<tk::Button>(L"BtnStretch");
  ButtonVollbild = Component<tk::Button>(L"ButtonVollbild");
  ButtonExit = Component<tk::Button>(L"ButtonExit");
  ButtonCpy = Component<tk::Button>(L"ButtonCpy");
  PMultiImage1 = Component<TPMultiImage>(L"PMultiImage1");
  PanelLED = Component<tk::Panel>(L"PanelLED");
}

void TForm1::SetPathLabel() {
  Label2->SetCaption(util::ShortenPath(FileListBox1->Directory(), kPathLabelLimit));
}

void TForm1::FormCreate() {
  auto& app = tk::Application::Instance();
  app.SetTitle(L"Lumoscope32 - [Noname]");
  SetCaption(app.Title());
  SetAutoScroll(true);
  FileListBox1->SetItemIndex(0);
  SetPathLabel();
  PMultiImage1->SetStretch(false);
  Panel5->SetCaption(L"Picture-Info:");
  LastGoodDrive = DriveComboBox1->Drive();

  systemMenu_ = GetSystemMenu(Handle(), FALSE);
  DeleteMenu(systemMenu_, SC_SIZE, MF_BYCOMMAND);
  AppendMenuW(systemMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu_, MF_STRING, kAboutCommand, L"About &Lumoscope ...");
  AppendMenuW(systemMenu_, MF_STRING, kHelpCommand, L"Lumoscope &Help");
  DrawMenuBar(Handle());

  if (util::FileExists(util::HelpFileName()) &&
      util::FileExists(util::ProgramDir() + L"\\LUMOS32.CNT"))
    app.helpFile = util::HelpFileName() + L">Window1";
  else
    EnableMenuItem(systemMenu_, kHelpCommand, MF_BYCOMMAND | MF_GRAYED);

  app.OnMessage = [this](MSG& msg, bool& handled) { AppMessage(msg, handled); };
  SetActiveControl(Edit1);

  const int show = StartupShowCommand(startupShowWindow ? startupShowWindow() : SW_SHOWNORMAL);
  if (show) ShowWindow(Handle(), show);
}

void TForm1::FormDestroy() { tk::Application::Instance().HelpCommand(HELP_QUIT, 0); }

void TForm1::FormPaint() { tk::Application::Instance().SetCursor(tk::ScreenCursor::Default); }

void TForm1::BtnStretchClick() {
  FileListBox1->SetFocus();
  PanelLED->SetColor(PanelLED->GetColor() == tk::clMaroon ? tk::clRed : tk::clMaroon);
  PMultiImage1->SetStretch(!PMultiImage1->Stretch());
  FitPicturePane();
}

void TForm1::ButtonVollbildClick() {
  FileListBox1->SetFocus();
  if (!Form2) return;
  Form2->SetWindowState(tk::WindowState::Maximized);
  Form2->ShowModal();
}

void TForm1::ButtonCpyClick() {
  auto& app = tk::Application::Instance();
  app.SetCursor(tk::ScreenCursor::HourGlass);
  app.SetCursor(tk::ScreenCursor::Default);
}

void TForm1::ButtonExitClick() { Close(); }

void TForm1::AppMessage(MSG& msg, bool& handled) {
  if (msg.message != WM_SYSCOMMAND) return;
  auto& app = tk::Application::Instance();
  if (msg.wParam == kAboutCommand) {
    handled = true;
    Beep(MB_ICONASTERISK);
    tk::MessageDlg(L"Lumoscope V 1.1a -32 for Windows", tk::MsgKind::Information, tk::mbOK, 0);
  } else if (msg.wParam == kHelpCommand) {
    handled = true;
    app.helpFile = util::HelpFileName() + L">main";
    app.HelpCommand(HELP_FINDER, 0);
    app.helpFile = util::HelpFileName() + L">Window1";
  }
}

// ---- file browser

void TForm1::DriveComboBox1Change() {
  const wchar_t drive = DriveComboBox1->Drive();
  const std::wstring root = std::wstring(1, drive) + L":\\";
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  ULARGE_INTEGER total{};
  const bool ok = GetDiskFreeSpaceExW(root.c_str(), nullptr, &total, nullptr) != FALSE;
  SetErrorMode(oldMode);
  if (ok) {
    FileListBox1->ApplyFilePath(std::wstring(1, drive) + L":");
    FileListBox1->Repaint();
    FileListBox1->SetItemIndex(0);
    SetPathLabel();
    LastGoodDrive = drive;
    return;
  }
  Beep(MB_ICONEXCLAMATION);
  tk::MessageDlg(L"Access Error on Drive " + std::wstring(1, drive) + L":" + L" !",
                 tk::MsgKind::Warning, tk::mbOK, 0);
  DriveComboBox1->SetDrive(LastGoodDrive);
}

void TForm1::DriveComboBox1KeyPress(wchar_t& key) {
  if (key == 13) Edit1->SetFocus();
}

void TForm1::Edit1KeyPress(wchar_t& key) {
  if (key == 13) {
    FileListBox1DblClick();
    FileListBox1->SetFocus();
    key = 0;
  } else {
    Edit1->tag = 1;
  }
}

void TForm1::Edit1KeyUp(WORD&, unsigned) {
  Edit1->tag = 1;
  Edit1Change();
}

void TForm1::Edit1Change() {
  if (Edit1->tag == 1) {
    const auto& items = FileListBox1->Items();  // searched in place, not copied
    const size_t index = util::TypeAheadSearch(items, Edit1->Text());
    FileListBox1->SetItemIndex(index < items.size() ? static_cast<int>(index) : -1);
  }
  Edit1->tag = 0;
}

void TForm1::FileListBox1KeyPress(wchar_t& key) {
  if (key == 13) FileListBox1DblClick();
}

void TForm1::FileListBox1DblClick() {
  std::wstring file = FileListBox1->FileName();
  if (!IsPlainFile(Attributes(file))) {
    FileListBox1->ApplyFilePath(util::FileNamePart(file));
    SetPathLabel();
  }
  file = FileListBox1->FileName();
  if (util::IsPictureFile(file) && IsPlainFile(Attributes(file))) LoadPicture(file);
}

namespace {

void SelectAfterReread(tk::FileListBox& list, int index) {
  list.Reread();
  const int count = list.Count();
  list.SetItemIndex(index < count ? index : count - 1);
}

}  // namespace

void TForm1::FileListBox1KeyDown(WORD& key, unsigned) {
  const int index = FileListBox1->ItemIndex();
  if (index < 0) return;
  const std::wstring item = FileListBox1->Item(index);
  if (!IsPlainFile(Attributes(item))) return;
  if (key == VK_DELETE) {
    Beep(MB_ICONQUESTION);
    if (tk::MessageDlg(L"Delete File " + item + L" ?", tk::MsgKind::Confirmation, tk::mbYesNo, 0) !=
        tk::mrYes)
      return;
    if (DeleteFileW(item.c_str())) {
      SelectAfterReread(*FileListBox1, index);
    } else {
      Beep(MB_ICONEXCLAMATION);
      tk::MessageDlg(L"Error occured while deleting file !", tk::MsgKind::Warning, tk::mbOK, 0);
    }
  } else if (key == VK_INSERT) {
    std::wstring newName = item.substr(0, 255);
    if (!tk::Dialogs().InputQuery(L"Rename File", L"New Name:", newName)) return;
    if (MoveFileW(item.c_str(), newName.c_str())) {
      SelectAfterReread(*FileListBox1, index);
    } else {
      Beep(MB_ICONEXCLAMATION);
      tk::MessageDlg(L"Error occured while renaming file !", tk::MsgKind::Warning, tk::mbOK, 0);
    }
  }
}

// ---- picture pane

void TForm1::LoadPicture(const std::wstring& fileName) { (void)fileName; }

void TForm1::FitPicturePane() {}

void TForm1::ResetPicturePane() {
  Panel1->SetBounds(Panel1->Left(), Panel1->Top(), 360, 272);
  PMultiImage1->SetBounds(PMultiImage1->Left(), PMultiImage1->Top(), 352, 264);
}

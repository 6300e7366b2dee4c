#include "app/Unit1.h"

#include <windows.h>

#include <optional>
#include <stdexcept>

#include "app/PaneGeometry.h"
#include "imagectl/TMultiP.h"
#include "forms/Form1.h"
#include "fullview/Unit2.h"
#include "toolkit/Application.h"
#include "toolkit/Services.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"
#include "toolkit/portable/FileName.h"
#include "toolkit/FileExists.h"

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

TForm1::TForm1() : startupShowWindow(&ProcessShowWindow) {}

TForm1::~TForm1() {
  auto& app = tk::Application::Instance();
  if (app.MainForm() == this) app.OnMessage = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::Create() { Load(forms::Form1Resource()); }

void TForm1::SetPathLabel() {
  Label2->SetCaption(util::ShortenPath(FileListBox1->Directory(), kPathLabelLimit));
}

void TForm1::FormCreate() {
  auto& app = tk::Application::Instance();
  SetTitle(L"Lumoscope32 - [Noname]");
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

  if (tk::FileExists(util::HelpFileName()) && tk::FileExists(util::ProgramDir() + L"\\LUMOS32.CNT"))
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
  PMultiImage1->CopyToClipboard();
  app.SetCursor(tk::ScreenCursor::Default);
}

void TForm1::ButtonExitClick() { Close(); }

void TForm1::AppMessage(MSG& msg, bool& handled) {
  if (msg.message != WM_SYSCOMMAND) return;
  auto& app = tk::Application::Instance();
  if (msg.wParam == kAboutCommand) {
    handled = true;
    tk::BeepAndMessageDlg(L"Lumoscope V 1.1a -32 for Windows", tk::MsgKind::Information, tk::mbOK);
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
  tk::BeepAndMessageDlg(L"Access Error on Drive " + std::wstring(1, drive) + L":" + L" !",
                        tk::MsgKind::Warning, tk::mbOK);
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
  if (!tk::FileExists(file)) {
    FileListBox1->ApplyFilePath(tk::FileNamePart(file));
    SetPathLabel();
  }
  file = FileListBox1->FileName();
  if (util::IsPictureFile(file) && tk::FileExists(file)) LoadPicture(file);
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
  if (!tk::FileExists(item)) return;
  if (key == VK_DELETE) {
    if (tk::BeepAndMessageDlg(L"Delete File " + item + L" ?", tk::MsgKind::Confirmation,
                              tk::mbYesNo) != tk::mrYes)
      return;
    if (DeleteFileW(item.c_str())) {
      SelectAfterReread(*FileListBox1, index);
    } else {
      tk::BeepAndMessageDlg(L"Error occured while deleting file !", tk::MsgKind::Warning, tk::mbOK);
    }
  } else if (key == VK_INSERT) {
    std::wstring newName = item.substr(0, 255);
    if (!tk::Dialogs().InputQuery(L"Rename File", L"New Name:", newName)) return;
    if (MoveFileW(item.c_str(), newName.c_str())) {
      SelectAfterReread(*FileListBox1, index);
    } else {
      tk::BeepAndMessageDlg(L"Error occured while renaming file !", tk::MsgKind::Warning, tk::mbOK);
    }
  }
}

// ---- a picture named on the command line or dropped on the window

void TForm1::BrowseTo(const std::wstring& directory) {
  FileListBox1->ApplyFilePath(directory);
  // Only a directory that starts with a drive letter can set the drive box.
  if (util::StartsWithDrive(FileListBox1->Directory()))
    DriveComboBox1->SetDrive(FileListBox1->Directory()[0]);
  SetPathLabel();
}

void TForm1::FormDropFiles(const std::vector<std::wstring>& names) {
  if (names.empty()) return;
  const std::wstring& first = names.front();
  if (tk::DirectoryExists(first))
    BrowseTo(first);
  else
    OpenCommandLinePicture(first);
}

void TForm1::OpenCommandLinePicture(const std::wstring& param) {
  if (!tk::FileExists(param) || !util::IsPictureFile(param)) return;
  BrowseTo(tk::DirectoryPart(param));
  const std::wstring fileName = tk::FileNamePart(param);
  const auto items = FileListBox1->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (_wcsicmp(items[i].c_str(), fileName.c_str()) == 0) {
      FileListBox1->SetItemIndex(static_cast<int>(i));
      Edit1->SetText(tk::UpperAscii(fileName));
      break;
    }
  }
  // The window is shown and painted before the picture is read.
  tk::Application::Instance().ProcessMessages();
  SetActiveControl(FileListBox1);
  std::wstring full = FileListBox1->Directory();
  if (full.empty() || full.back() != L'\\') full += L'\\';
  LoadPicture(tk::UpperAscii(full + fileName));
}

// ---- picture pane

namespace {

// The status line's name for a colour depth in bits per pixel.
const wchar_t* ColourDepthText(long long bits) {
  static const struct {
    long long bits;
    const wchar_t* text;
  } kDepths[] = {{1, L"2"}, {2, L"4"}, {4, L"16"}, {8, L"256"}, {24, L"16M"}, {32, L"4B"}};
  for (const auto& d : kDepths)
    if (d.bits == bits) return d.text;
  return L"N/A";
}

std::wstring UpperFileName(const std::wstring& fileName) {
  return tk::UpperAscii(tk::FileNamePart(fileName));
}

// The full-screen window's control, when that window exists.
TPMultiImage* FullViewImage() { return Form2 ? Form2->PMultiImage1 : nullptr; }

}  // namespace

void TForm1::SetTitle(const std::wstring& title) {
  auto& app = tk::Application::Instance();
  app.SetTitle(title);
  SetCaption(app.Title());
}

void TForm1::LoadPicture(const std::wstring& fileName) {
  if (fileName == CurrentFileName) return;
  CurrentFileName = fileName;
  auto& app = tk::Application::Instance();
  ButtonCpy->SetEnabled(false);
  BtnStretch->SetEnabled(false);
  ButtonVollbild->SetEnabled(false);
  ButtonExit->SetEnabled(false);
  SetEnabled(false);
  app.SetCursor(tk::ScreenCursor::HourGlass);
  std::optional<std::runtime_error> failure;
  bool shown = false;
  try {
    shown = ShowPicture(fileName);
  } catch (const tk::EInOutError&) {
    // An input/output failure is told as a file that shows nothing, below.
  } catch (const std::exception& e) {
    // Any other failure (a damaged icon or metafile, no memory) ends in the
    // same empty state; the general report gives its own message, once the
    // window works again.
    ClearPicture();
    failure.emplace(e.what());
  }
  if (!shown && !failure) {
    app.SetCursor(tk::ScreenCursor::Default);
    ClearPicture();
    tk::BeepAndMessageDlg(UpperFileName(fileName) + L" is not a valid Bitmapfile !",
                          tk::MsgKind::Error, tk::mbOK);
  }
  app.SetCursor(tk::ScreenCursor::Default);
  ButtonCpy->SetEnabled(ButtonCpy->tag == 0);
  ButtonVollbild->SetEnabled(ButtonVollbild->tag == 0);
  BtnStretch->SetEnabled(true);
  ButtonExit->SetEnabled(true);
  SetEnabled(true);
  FileListBox1->SetFocus();
  if (failure) app.HandleException(*failure);
}

bool TForm1::ShowPicture(const std::wstring& fileName) {
  PMultiImage1->SetImageName(fileName);
  PMultiImage1->ReadImageInfo(fileName);
  const int w = PMultiImage1->ImageWidth(), h = PMultiImage1->ImageHeight();
  // A bitmap that memory cannot hold fails the load as an unreadable file
  // does, though the file's header gives its size.
  if (w <= 0 || PMultiImage1->NoMemoryForPicture()) return false;
  FitPicturePane();
  PMultiImage1->SetVisible(true);
  const long long bits =
      static_cast<long long>(PMultiImage1->ImageDepthA()) * PMultiImage1->ImageDepthB();
  Panel5->SetCaption(L"Picture-Info:  " + std::to_wstring(w) + L"x" + std::to_wstring(h) + L"x" +
                     ColourDepthText(bits));
  SetTitle(L"Lumoscope32 - [" + UpperFileName(fileName) + L"]");
  // The full-screen view shares the pixels; nothing is copied.
  if (TPMultiImage* full = FullViewImage()) full->SetPicture(PMultiImage1->Picture());
  ButtonVollbild->tag = 0;
  ButtonCpy->tag = 0;
  return true;
}

void TForm1::ClearPicture() {
  PMultiImage1->SetVisible(false);
  PMultiImage1->SetImageName(L"");
  if (TPMultiImage* full = FullViewImage()) full->SetImageName(L"");
  CurrentFileName.clear();
  Panel5->SetCaption(L"Picture-Info:");
  SetTitle(L"Lumoscope32 - [Noname]");
  ButtonVollbild->tag = 1;
  ButtonCpy->tag = 1;
  ResetPicturePane();
}

void TForm1::FitPicturePane() {
  const int w = PMultiImage1->ImageWidth();
  // An empty pane stays as it is, whatever size the last file's header gave.
  if (w < 1 || PMultiImage1->Picture().Empty()) return;
  SetPaneSize(FitPane(w, PMultiImage1->ImageHeight(), PMultiImage1->Stretch()));
}

void TForm1::ResetPicturePane() { SetPaneSize(kDefaultPane); }

void TForm1::SetPaneSize(const PaneSize& s) {
  Panel1->SetBounds(Panel1->Left(), Panel1->Top(), s.paneWidth, s.paneHeight);
  PMultiImage1->SetBounds(PMultiImage1->Left(), PMultiImage1->Top(), s.imageWidth, s.imageHeight);
}

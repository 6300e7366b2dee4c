// The main window: file browser, picture pane, status line and buttons.
//
// How the windows report failures: a handler tells the user about a failure
// it can put in the user's terms (a picture that does not load, a file that
// cannot be deleted) with the toolkit's message dialog and carries on; any
// other exception goes on to the toolkit's general handler.
#pragma once
#include <string>
#include <vector>

#include "toolkit/Form.h"
#include "toolkit/StdCtrls.h"

class TPMultiImage;
struct PaneSize;

// System-menu commands the window adds; both have their low four bits clear.
constexpr UINT kAboutCommand = 0x110;
constexpr UINT kHelpCommand = 0x120;

// What the start-up show state asks of the main window: SW_MINIMIZE,
// SW_SHOWMAXIMIZED or 0 for nothing.
int StartupShowCommand(WORD showWindow);

class TForm1 : public tk::Form {
 public:
  TForm1();
  ~TForm1() override;

  // Builds the window from its resource and runs FormCreate.
  void Create();

  tk::Panel* Panel1 = nullptr;
  tk::Panel* Panel2 = nullptr;
  tk::Label* Label1 = nullptr;
  tk::Label* Label2 = nullptr;
  tk::Panel* Panel3 = nullptr;
  tk::Panel* Panel4 = nullptr;
  tk::Panel* Panel5 = nullptr;
  tk::Panel* Panel6 = nullptr;
  tk::DriveComboBox* DriveComboBox1 = nullptr;
  tk::Edit* Edit1 = nullptr;
  tk::FileListBox* FileListBox1 = nullptr;
  tk::Button* BtnStretch = nullptr;
  tk::Button* ButtonVollbild = nullptr;
  tk::Button* ButtonExit = nullptr;
  tk::Button* ButtonCpy = nullptr;
  TPMultiImage* PMultiImage1 = nullptr;
  tk::Panel* PanelLED = nullptr;

  std::wstring CurrentFileName;
  wchar_t LastGoodDrive = L'C';
  HMENU SystemMenu() const { return systemMenu_; }

  void FormCreate();
  void FormDestroy();
  void FormPaint();
  void BtnStretchClick();
  void ButtonVollbildClick();
  void ButtonCpyClick();
  void ButtonExitClick();
  void AppMessage(MSG& msg, bool& handled);
  // Files dropped on the window: the first counts. A picture opens as one
  // named on the command line, a directory opens in the list, anything else
  // is ignored.
  void FormDropFiles(const std::vector<std::wstring>& names);

  void DriveComboBox1Change();
  void DriveComboBox1KeyPress(wchar_t& key);
  void Edit1KeyPress(wchar_t& key);
  void Edit1Change();
  void Edit1KeyUp(WORD& key, unsigned shift);
  void FileListBox1DblClick();
  void FileListBox1KeyPress(wchar_t& key);
  void FileListBox1KeyDown(WORD& key, unsigned shift);

  // Start-up with a picture file named by the first parameter (and a picture
  // dropped on the window): the list goes to its directory and selects it,
  // then the picture is loaded. Any other name is ignored.
  void OpenCommandLinePicture(const std::wstring& param);
  void LoadPicture(const std::wstring& fileName);
  void FitPicturePane();
  void ResetPicturePane();

  // Where the start-up show state comes from (tests replace it).
  WORD (*startupShowWindow)() = nullptr;

 private:
  void SetPathLabel();
  // The list on a directory (applied as the list applies a path), the drive
  // box on its drive, the path label.
  void BrowseTo(const std::wstring& directory);
  void SetTitle(const std::wstring& title);
  // LoadPicture's two ends: the picture shown with its status line, title and
  // buttons (false when the file shows nothing), or the empty pane.
  bool ShowPicture(const std::wstring& fileName);
  void ClearPicture();
  void SetPaneSize(const PaneSize& size);

  HMENU systemMenu_ = nullptr;  // the window's own copy; the window owns it
};

// The program's windows, created by the main block.
extern TForm1* Form1;

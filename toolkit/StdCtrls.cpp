#include "toolkit/StdCtrls.h"

#include <algorithm>
#include <cwctype>

#include "toolkit/Form.h"

namespace tk {
namespace {

void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight, int width) {
  for (int i = 0; i < width; ++i) {
    base::Brush tl(CreateSolidBrush(topLeft)), br(CreateSolidBrush(bottomRight));
    RECT top{r.left, r.top, r.right - 1, r.top + 1};
    RECT left{r.left, r.top, r.left + 1, r.bottom - 1};
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
    RECT right{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &top, tl.get());
    FillRect(dc, &left, tl.get());
    FillRect(dc, &bottom, br.get());
    FillRect(dc, &right, br.get());
    InflateRect(&r, -1, -1);
  }
}

void DrawBevel(HDC dc, RECT& r, Bevel b, int width) {
  if (b == Bevel::None) return;
  const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
  if (b == Bevel::Raised)
    Frame3D(dc, r, hi, sh, width);
  else
    Frame3D(dc, r, sh, hi, width);
}

Bevel ParseBevel(const std::wstring& v) {
  return v == L"bvLowered" ? Bevel::Lowered : v == L"bvRaised" ? Bevel::Raised : Bevel::None;
}

void FillBox(HDC dc, int l, int t, int r, int b, COLORREF c) {
  base::Brush br(CreateSolidBrush(c));
  RECT rc{l, t, r, b};
  FillRect(dc, &rc, br.get());
}

void FrameBox(HDC dc, int l, int t, int r, int b, COLORREF c) {
  base::Brush br(CreateSolidBrush(c));
  RECT rc{l, t, r, b};
  FrameRect(dc, &rc, br.get());
}

// 16-pixel glyphs drawn in code: a closed folder, a program window, a page.
void DrawGlyph(HDC dc, int x, int y, Glyph kind) {
  const COLORREF black = RGB(0, 0, 0);
  if (kind == Glyph::Folder) {
    FillBox(dc, x + 1, y + 3, x + 7, y + 5, RGB(192, 192, 0));
    FillBox(dc, x + 1, y + 5, x + 15, y + 14, RGB(255, 255, 0));
    FrameBox(dc, x + 1, y + 5, x + 15, y + 14, RGB(128, 128, 0));
  } else if (kind == Glyph::Program) {
    FillBox(dc, x + 1, y + 3, x + 15, y + 13, RGB(255, 255, 255));
    FillBox(dc, x + 1, y + 3, x + 15, y + 6, RGB(0, 0, 128));
    FrameBox(dc, x + 1, y + 3, x + 15, y + 13, black);
  } else {
    FillBox(dc, x + 3, y + 1, x + 13, y + 15, RGB(255, 255, 255));
    FrameBox(dc, x + 3, y + 1, x + 13, y + 15, black);
    for (int line = 0; line < 4; ++line)
      FillBox(dc, x + 5, y + 4 + line * 3, x + 11, y + 5 + line * 3, RGB(128, 128, 128));
  }
}

std::wstring CurrentDir() {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, buf);
  return std::wstring(buf, n < MAX_PATH * 2 ? n : 0);
}

// A WM_GETDLGCODE answer that also asks for Enter: it belongs to the box's
// own key handler, not to a default button.
LRESULT WithEnter(LRESULT code, LPARAM lp) {
  const auto* m = reinterpret_cast<const MSG*>(lp);
  if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
  return code;
}

bool IsDirectory(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// ---- Panel

Panel::Panel() { SetBounds(0, 0, 185, 41); }

void Panel::CreateParams(CreateArgs& args) {
  args.className = L"TPanel";
  args.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_CONTROLPARENT;
  args.classStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}

void Panel::SetCaption(const std::wstring& text) {
  Control::SetCaption(text);
  Invalidate();
}

void Panel::Paint(HDC dc) {
  RECT r{0, 0, Width(), Height()};
  if (HWND w = HandleIfCreated()) GetClientRect(w, &r);
  DrawBevel(dc, r, bevelOuter, bevelWidth);
  FrameRect(dc, &r, BrushHandle());
  InflateRect(&r, -borderWidth, -borderWidth);
  DrawBevel(dc, r, bevelInner, bevelWidth);
  FillRect(dc, &r, BrushHandle());
  if (caption_.empty()) return;
  base::SelectGuard font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(GetFont().color));
  const UINT align = alignment == Alignment::Center ? DT_CENTER : DT_LEFT;
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
            align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Panel::SetProperty(const std::wstring& prop, const std::wstring& value) {
  if (prop == L"BevelInner") {
    bevelInner = ParseBevel(value);
  } else if (prop == L"BevelOuter") {
    bevelOuter = ParseBevel(value);
  } else if (prop == L"BevelWidth") {
    bevelWidth = ParseInt(value);
  } else if (prop == L"BorderWidth") {
    borderWidth = ParseInt(value);
  } else if (prop == L"Alignment") {
    alignment = value == L"taLeftJustify" ? Alignment::Left : Alignment::Center;
  } else if (prop == L"Ctl3D") {
    // The bevels give the 3-D look.
  } else {
    Control::SetProperty(prop, value);
    return;
  }
  Invalidate();
}

// ---- Label

Label::Label() { SetBounds(0, 0, 65, 13); }

void Label::CreateParams(CreateArgs& args) {
  args.className = L"STATIC";
  args.ownClass = false;
  args.style = WS_CHILD | SS_NOPREFIX | (alignment == Alignment::Center ? SS_CENTER : SS_LEFT);
}

LRESULT Label::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  return Control::WndProc(msg, wp, lp);
}

void Label::SetProperty(const std::wstring& prop, const std::wstring& value) {
  if (prop == L"Alignment") {
    alignment = value == L"taCenter" ? Alignment::Center : Alignment::Left;
    RecreateWnd();
  } else if (prop == L"AutoSize") {
    // Sizes are fixed by the resource.
  } else {
    Control::SetProperty(prop, value);
  }
}

// ---- Button

Button::Button() {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void Button::CreateParams(CreateArgs& args) {
  args.className = L"BUTTON";
  args.ownClass = false;
  args.style = WS_CHILD | BS_PUSHBUTTON;
}

LRESULT Button::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == BN_CLICKED) Click();
    return 0;
  }
  return Control::WndProc(msg, wp, lp);
}

// ---- Edit

Edit::Edit() {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

void Edit::CreateParams(CreateArgs& args) {
  args.className = L"EDIT";
  args.ownClass = false;
  args.style = WS_CHILD | ES_AUTOHSCROLL | (upperCase ? ES_UPPERCASE : 0);
  args.exStyle = WS_EX_CLIENTEDGE;
}

void Edit::SelectAll() { Perform(EM_SETSEL, 0, -1); }

LRESULT Edit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == EN_CHANGE) Change();
    return 0;
  }
  if (msg == WM_GETDLGCODE) return WithEnter(Control::WndProc(msg, wp, lp), lp);
  return Control::WndProc(msg, wp, lp);
}

void Edit::SetProperty(const std::wstring& prop, const std::wstring& value) {
  if (prop == L"CharCase") {
    upperCase = value == L"ecUpperCase";
    RecreateWnd();
  } else if (prop == L"AutoSize") {
    // Fixed height.
  } else {
    Control::SetProperty(prop, value);
  }
}

// ---- DriveComboBox

DriveComboBox::DriveComboBox() {
  SetBounds(0, 0, 145, 22);
  SetTabStop(true);
  SetColor(clWindow);
  const std::wstring cur = CurrentDir();
  if (!cur.empty()) drive_ = static_cast<wchar_t>(std::towupper(cur[0]));
}

void DriveComboBox::CreateParams(CreateArgs& args) {
  args.className = L"COMBOBOX";
  args.ownClass = false;
  args.style = WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST;
}

void DriveComboBox::Fill() {
  drives_.clear();
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) drives_.push_back(static_cast<wchar_t>(L'A' + i));
  HWND w = HandleIfCreated();
  SendMessageW(w, CB_RESETCONTENT, 0, 0);
  for (wchar_t d : drives_) {
    const wchar_t text[] = {d, L':', 0};
    SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  auto it = std::find(drives_.begin(), drives_.end(), drive_);
  SendMessageW(w, CB_SETCURSEL, it == drives_.end() ? -1 : it - drives_.begin(), 0);
}

void DriveComboBox::AfterCreate() {
  HWND w = HandleIfCreated();
  // The window's height includes the dropped-down list; the closed box keeps
  // the resource height through the selection field's height. The border
  // around the field differs between systems, so measure and correct once.
  SetWindowPos(w, nullptr, 0, 0, Width(), Height() + 200,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LPARAM field = Height() - 6;
  SendMessageW(w, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  RECT r;
  GetWindowRect(w, &r);
  if (r.bottom - r.top != Height())
    SendMessageW(w, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 field - (r.bottom - r.top - Height()));
  Fill();
}

void DriveComboBox::SetDrive(wchar_t letter) {
  letter = static_cast<wchar_t>(std::towupper(letter));
  if (letter == drive_) return;
  drive_ = letter;
  if (HandleAllocated()) {
    auto it = std::find(drives_.begin(), drives_.end(), drive_);
    SendMessageW(HandleIfCreated(), CB_SETCURSEL, it == drives_.end() ? -1 : it - drives_.begin(),
                 0);
  }
  Change();
}

LRESULT DriveComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == CBN_SELCHANGE) {
      const auto i = SendMessageW(HandleIfCreated(), CB_GETCURSEL, 0, 0);
      if (i >= 0 && static_cast<size_t>(i) < drives_.size())
        SetDrive(drives_[static_cast<size_t>(i)]);
    }
    return 0;
  }
  if (msg == WM_GETDLGCODE) return WithEnter(Control::WndProc(msg, wp, lp), lp);
  return Control::WndProc(msg, wp, lp);
}

// ---- FileListBox

FileListBox::FileListBox() {
  SetBounds(0, 0, 145, 97);
  SetTabStop(true);
  SetColor(clWindow);
  directory_ = CurrentDir();
}

void FileListBox::CreateParams(CreateArgs& args) {
  args.className = L"LISTBOX";
  args.ownClass = false;
  // Not LBS_SORT: the entries come sorted, and appending is far cheaper than
  // a sorted insert per entry.
  args.style = WS_CHILD | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY;
  args.exStyle = WS_EX_CLIENTEDGE;
}

void FileListBox::AfterCreate() {
  HWND w = HandleIfCreated();
  SendMessageW(w, LB_SETITEMHEIGHT, 0, itemHeight);
  // Let the list trim its height to whole items with the real item height.
  SetWindowPos(w, nullptr, 0, 0, Width(), Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Reread();
}

void FileListBox::SetProperty(const std::wstring& prop, const std::wstring& value) {
  if (prop == L"FileEdit") {
    auto* form = dynamic_cast<Form*>(TopLevel());
    fileEdit = form ? form->Component<Edit>(value) : nullptr;
  } else if (prop == L"ItemHeight") {
    itemHeight = ParseInt(value);
    if (HWND w = HandleIfCreated()) SendMessageW(w, LB_SETITEMHEIGHT, 0, itemHeight);
  } else if (prop == L"IntegralHeight" || prop == L"FileType" || prop == L"ShowGlyphs" ||
             prop == L"Mask") {
    // The list shows normal, read-only, hidden and archive files and
    // directories, with glyphs, under the mask "*.*".
  } else {
    Control::SetProperty(prop, value);
  }
}

std::wstring FileListBox::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return entries_.texts[static_cast<size_t>(index)];
}

int FileListBox::ItemIndex() const {
  HWND w = HandleIfCreated();
  return w ? static_cast<int>(SendMessageW(w, LB_GETCURSEL, 0, 0)) : -1;
}

void FileListBox::SetItemIndex(int index) {
  if (HWND w = Handle()) SendMessageW(w, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring FileListBox::FileName() const {
  const int i = ItemIndex();
  if (i < 0) return {};
  std::wstring dir = directory_;
  if (dir.empty() || dir.back() != L'\\') dir += L'\\';
  return dir + Item(i);
}

void FileListBox::Reread() {
  directory_ = CurrentDir();
  entries_ = ReadDirEntries(mask_);
  FillListBox();
  SelectionToEdit();
}

void FileListBox::FillListBox() {
  HWND w = HandleIfCreated();
  if (!w) return;  // AfterCreate reads the directory again
  size_t chars = 0;
  for (const auto& t : entries_.texts) chars += t.size() + 1;
  SendMessageW(w, WM_SETREDRAW, FALSE, 0);
  SendMessageW(w, LB_RESETCONTENT, 0, 0);
  // One allocation for all entries instead of one growth step after another.
  SendMessageW(w, LB_INITSTORAGE, entries_.Count(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
  for (size_t i = 0; i < entries_.Count(); ++i) {
    const LRESULT r =
        SendMessageW(w, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries_.texts[i].c_str()));
    if (r < 0) {  // out of memory: keep only what the list box holds
      entries_.Truncate(i);
      break;
    }
  }
  SendMessageW(w, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(w, nullptr, TRUE);
}

void FileListBox::ChangeDirectory(const std::wstring& dir) {
  // A name equal to the shown one (as text) is not read again.
  if (_wcsicmp(dir.c_str(), directory_.c_str()) == 0) return;
  if (!SetCurrentDirectoryW(dir.c_str())) throw EInOutError("Cannot change directory");
  Reread();
}

void FileListBox::ApplyFilePath(const std::wstring& text) {
  if (text.empty()) return;
  std::wstring base = directory_;
  if (base.empty() || base.back() != L'\\') base += L'\\';
  if (text.size() >= 2 && text.front() == L'[' && text.back() == L']') {
    ChangeDirectory(base + text.substr(1, text.size() - 2));
    return;
  }
  if (text.size() == 2 && text[1] == L':') {
    wchar_t full[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(text.c_str(), MAX_PATH * 2, full, nullptr);
    if (!n || n >= MAX_PATH * 2) throw EInOutError("Cannot change drive");
    ChangeDirectory(full);
    return;
  }
  if (IsDirectory(text)) {
    ChangeDirectory(text);
    return;
  }
  const auto cut = text.find_last_of(L"\\:");
  std::wstring finalPart = text;
  if (cut != std::wstring::npos) {
    std::wstring dir = text.substr(0, cut + 1);
    finalPart = text.substr(cut + 1);
    // "C:\" keeps its backslash; "C:\PICS\" loses it.
    if (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();
    wchar_t full[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(dir.c_str(), MAX_PATH * 2, full, nullptr);
    ChangeDirectory(n && n < MAX_PATH * 2 ? std::wstring(full) : dir);
  }
  if (finalPart.empty()) return;
  if (finalPart.find_first_of(L"*?") != std::wstring::npos) {
    mask_ = finalPart;
    Reread();
    return;
  }
  for (size_t i = 0; i < entries_.Count(); ++i) {
    if (_wcsicmp(entries_.texts[i].c_str(), finalPart.c_str()) == 0) {
      SetItemIndex(static_cast<int>(i));
      return;
    }
  }
}

void FileListBox::SelectionToEdit() {
  if (!fileEdit) return;
  const int i = ItemIndex();
  fileEdit->SetText(i >= 0 ? Item(i) : mask_);
  fileEdit->SelectAll();
}

void FileListBox::DrawItem(const DRAWITEMSTRUCT& di) {
  if (di.itemID >= entries_.Count()) return;
  const std::wstring& text = entries_.texts[di.itemID];
  const bool selected = (di.itemState & ODS_SELECTED) != 0;
  HDC dc = di.hDC;
  base::Brush back(
      CreateSolidBrush(selected ? GetSysColor(COLOR_HIGHLIGHT) : ColorToRGB(GetColor())));
  FillRect(dc, &di.rcItem, back.get());
  DrawGlyph(dc, di.rcItem.left + 1, di.rcItem.top + (di.rcItem.bottom - di.rcItem.top - 16) / 2,
            entries_.glyphs[di.itemID]);
  base::SelectGuard font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(GetFont().color));
  RECT r = di.rcItem;
  r.left += 20;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (di.itemState & ODS_FOCUS) DrawFocusRect(dc, &di.rcItem);
}

LRESULT FileListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == LBN_SELCHANGE) {
      SelectionToEdit();
      Change();
    } else if (HIWORD(wp) == LBN_DBLCLK) {
      DblClick();
    }
    return 0;
  }
  if (msg == CN_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  if (msg == WM_GETDLGCODE) return WithEnter(Control::WndProc(msg, wp, lp), lp);
  return Control::WndProc(msg, wp, lp);
}

// ---- registry of classes

void RegisterStandardControls() {
  RegisterControlClass(L"TPanel", [] { return std::make_unique<Panel>(); });
  RegisterControlClass(L"TLabel", [] { return std::make_unique<Label>(); });
  RegisterControlClass(L"TButton", [] { return std::make_unique<Button>(); });
  RegisterControlClass(L"TEdit", [] { return std::make_unique<Edit>(); });
  RegisterControlClass(L"TDriveComboBox", [] { return std::make_unique<DriveComboBox>(); });
  RegisterControlClass(L"TFileListBox", [] { return std::make_unique<FileListBox>(); });
}

}  // namespace tk

// Panels, labels, buttons, the edit box, the drive box and the file list, each
// a thin wrapper over a standard control (or, for the panel, a small own class).
#pragma once
#include <string>
#include <vector>

#include "toolkit/Control.h"
#include "toolkit/DirEntries.h"
#include "toolkit/portable/Errors.h"

namespace tk {

enum class Bevel { None, Lowered, Raised };
enum class Alignment { Left, Center };

class Panel : public Control {
 public:
  Panel();
  Bevel bevelInner = Bevel::None;
  Bevel bevelOuter = Bevel::Raised;
  int bevelWidth = 1;
  int borderWidth = 0;
  Alignment alignment = Alignment::Center;
  void SetCaption(const std::wstring& text) override;
  void SetProperty(const std::wstring& prop, const std::wstring& value) override;

 protected:
  void CreateParams(CreateArgs& args) override;
  void Paint(HDC dc) override;
};

class Label : public Control {
 public:
  Label();
  Alignment alignment = Alignment::Left;
  void SetProperty(const std::wstring& prop, const std::wstring& value) override;

 protected:
  void CreateParams(CreateArgs& args) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class Button : public Control {
 public:
  Button();

 protected:
  void CreateParams(CreateArgs& args) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class Edit : public Control {
 public:
  Edit();
  bool upperCase = false;
  std::wstring Text() const { return Caption(); }
  void SetText(const std::wstring& t) { SetCaption(t); }
  void SelectAll();
  void SetProperty(const std::wstring& prop, const std::wstring& value) override;

 protected:
  void CreateParams(CreateArgs& args) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class DriveComboBox : public Control {
 public:
  DriveComboBox();
  wchar_t Drive() const { return drive_; }
  // Taking another drive raises OnChange; the same drive does nothing.
  void SetDrive(wchar_t letter);
  std::vector<wchar_t> Drives() const { return drives_; }

 protected:
  void CreateParams(CreateArgs& args) override;
  void AfterCreate() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Fill();
  std::vector<wchar_t> drives_;
  wchar_t drive_ = L'C';
};

class FileListBox : public Control {
 public:
  FileListBox();
  // The process's current directory, which this list always shows.
  std::wstring Directory() const { return directory_; }
  std::wstring Mask() const { return mask_; }
  // Directory joined with the selected entry; empty without a selection.
  std::wstring FileName() const;
  int ItemIndex() const;
  // A selection set by the program; does not write into the file edit.
  void SetItemIndex(int index);
  // The entries as read, in list order; answered from memory.
  int Count() const { return static_cast<int>(entries_.Count()); }
  std::wstring Item(int index) const;
  const std::vector<std::wstring>& Items() const { return entries_.texts; }
  // Reads the directory again; leaves the list without a selection.
  void Reread();
  void ApplyFilePath(const std::wstring& text);
  Edit* fileEdit = nullptr;  // we don't own it
  int itemHeight = 16;
  void SetProperty(const std::wstring& prop, const std::wstring& value) override;

 protected:
  void CreateParams(CreateArgs& args) override;
  void AfterCreate() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ChangeDirectory(const std::wstring& dir);
  void FillListBox();
  void DrawItem(const DRAWITEMSTRUCT& di);
  void SelectionToEdit();
  std::wstring directory_;
  DirEntries entries_;  // what the list box holds, in the same order
  std::wstring mask_ = L"*.*";
};

// Registers the standard classes under their resource names.
void RegisterStandardControls();

}  // namespace tk

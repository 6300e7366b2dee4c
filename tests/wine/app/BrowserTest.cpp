#include <gtest/gtest.h>

#include "AppFixture.h"
#include "toolkit/FileExists.h"

namespace {

class Browser : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    for (const wchar_t* n : {L"AB.BMP", L"ABC.BMP", L"ABX.BMP", L"run.exe", L"zz.txt"})
      WriteFile(dir + L"\\" + n, "x");
    SetCurrentDirectoryW(dir.c_str());
  }
  void TearDown() override {
    Form1Fixture::TearDown();
    for (const wchar_t* n : {L"AB.BMP", L"ABC.BMP", L"ABX.BMP", L"run.exe", L"zz.txt", L"NEW.BMP"})
      DeleteFileW((dir + L"\\" + n).c_str());
  }
  // Types into the name box and returns the list's selected entry.
  std::wstring Type(const std::wstring& text) {
    form->Edit1->SetText(text);
    WORD key = 'A';
    form->Edit1KeyUp(key, 0);
    const int i = form->FileListBox1->ItemIndex();
    return i < 0 ? L"-" : form->FileListBox1->Item(i);
  }
  const std::wstring dir = TempDir(L"lumo-browse\\list");
};

}  // namespace

// Typing selects the first match or its place; a change written by the list
// itself (no typed mark) does not search. Insert renames or warns; Delete asks
// and removes on Yes, never a directory; Enter on the parent entry opens it.
TEST_F(Browser, TypeAheadRenameDeleteAndEnterOnTheParent) {
  TForm1& f = Make();
  EXPECT_EQ(f.FileListBox1->ItemIndex(), 0);  // FormCreate selects the first item
  EXPECT_EQ(Type(L"ABC") + L"|" + Type(L"ABCD") + L"|" + Type(L"ZZZ"), L"ABC.BMP|ABX.BMP|-");
  f.FileListBox1->SetItemIndex(0);
  f.Edit1->SetText(L"ABX");
  EXPECT_EQ(f.FileListBox1->ItemIndex(), 0);
  auto& rec = services.rec();
  rec.inputAnswers = {{true, L"NEW.BMP"}, {true, L"ABC.BMP"}};
  rec.answers = {tk::mrOk, tk::mrNo, tk::mrYes};  // the first for the rename's warning
  WORD insert = VK_INSERT, del = VK_DELETE;
  Type(L"AB.");
  f.FileListBox1KeyDown(insert, 0);
  Type(L"ABX");
  f.FileListBox1KeyDown(insert, 0);  // ABC.BMP exists: the rename fails
  EXPECT_TRUE(tk::FileExists(dir + L"\\NEW.BMP"));
  ASSERT_EQ(rec.inputs.size(), 2u);
  EXPECT_EQ(rec.inputs[0].first + L"|" + rec.inputs[0].second, L"Rename File|New Name:|AB.BMP");
  const int index = f.FileListBox1->ItemIndex();
  f.FileListBox1KeyDown(del, 0);  // answered No: the next asks for the same file
  f.FileListBox1KeyDown(del, 0);
  EXPECT_FALSE(tk::FileExists(dir + L"\\ABX.BMP"));
  EXPECT_EQ(f.FileListBox1->ItemIndex(), index);
  ASSERT_EQ(Type(L"[.."), L"[..]");
  f.FileListBox1KeyDown(del, 0);
  std::wstring dialogs;
  for (const auto& d : rec.dialogs)
    dialogs += d.text + (d.kind == tk::MsgKind::Confirmation ? L" (confirm)|" : L"|");
  EXPECT_EQ(dialogs,
            L"Error occured while renaming file !|Delete File ABX.BMP ? (confirm)|"
            L"Delete File ABX.BMP ? (confirm)|");
  EXPECT_EQ(rec.beeps, (std::vector<UINT>{MB_ICONEXCLAMATION, MB_ICONQUESTION, MB_ICONQUESTION}));
  wchar_t key = 13;
  f.Edit1KeyPress(key);
  EXPECT_TRUE(key == 0 && f.Edit1->Text() == L"*.*" && GetFocus() == f.FileListBox1->Handle());
  EXPECT_EQ(_wcsicmp(f.FileListBox1->Directory().c_str(), browseDir.c_str()), 0);
}

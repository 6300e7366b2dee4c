#include <gtest/gtest.h>

#include "AppFixture.h"
#include "util/Support.h"
#include "toolkit/FileExists.h"

namespace {

class Browser : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    dir = TempDir(L"lumo-browse\\list");
    CreateDirectoryW((dir + L"\\SUB").c_str(), nullptr);
    for (const wchar_t* n : {L"AB.BMP", L"ABC.BMP", L"ABX.BMP", L"run.exe", L"zz.txt"})
      WriteFile(dir + L"\\" + n, "x");
    SetCurrentDirectoryW(dir.c_str());
  }
  void TearDown() override {
    Form1Fixture::TearDown();
    for (const wchar_t* n : {L"AB.BMP", L"ABC.BMP", L"ABX.BMP", L"run.exe", L"zz.txt", L"NEW.BMP"})
      DeleteFileW((dir + L"\\" + n).c_str());
    RemoveDirectoryW((dir + L"\\SUB").c_str());
  }
  void Type(TForm1& f, const std::wstring& text) {
    f.Edit1->SetText(text);
    WORD key = 'A';
    f.Edit1KeyUp(key, 0);
  }
  std::wstring dir;
};

}  // namespace

TEST_F(Browser, TypeAheadSelectsTheFirstMatchOrItsPlace) {
  TForm1& f = Make();
  EXPECT_EQ(f.FileListBox1->ItemIndex(), 0);  // FormCreate selects the first item
  Type(f, L"ABC");
  EXPECT_EQ(f.FileListBox1->Item(f.FileListBox1->ItemIndex()), L"ABC.BMP");
  Type(f, L"ABCD");
  EXPECT_EQ(f.FileListBox1->Item(f.FileListBox1->ItemIndex()), L"ABX.BMP");
  Type(f, L"ZZZ");
  EXPECT_EQ(f.FileListBox1->ItemIndex(), -1);
  // A change written by the list itself (no typed mark) does not search.
  f.FileListBox1->SetItemIndex(0);
  f.Edit1->SetText(L"ABX");
  EXPECT_EQ(f.FileListBox1->ItemIndex(), 0);
}

TEST_F(Browser, EnterOnTheParentEntryChangesDirectory) {
  TForm1& f = Make();
  Type(f, L"[..");
  ASSERT_EQ(f.FileListBox1->Item(f.FileListBox1->ItemIndex()), L"[..]");
  wchar_t key = 13;
  f.Edit1KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(_wcsicmp(f.FileListBox1->Directory().c_str(), browseDir.c_str()), 0);
  EXPECT_EQ(f.Edit1->Text(), L"*.*");
  EXPECT_EQ(GetFocus(), f.FileListBox1->Handle());
}

TEST_F(Browser, DeleteAsksAndRemovesOnYes) {
  TForm1& f = Make();
  Type(f, L"ABX");
  const int index = f.FileListBox1->ItemIndex();
  auto& rec = services.rec();
  rec.answers = {tk::mrNo, tk::mrYes};
  WORD key = VK_DELETE;
  f.FileListBox1KeyDown(key, 0);
  EXPECT_TRUE(tk::FileExists(dir + L"\\ABX.BMP"));
  f.FileListBox1KeyDown(key, 0);
  EXPECT_FALSE(tk::FileExists(dir + L"\\ABX.BMP"));
  ASSERT_EQ(rec.dialogs.size(), 2u);
  EXPECT_EQ(rec.dialogs[0].text, L"Delete File ABX.BMP ?");
  EXPECT_EQ(rec.dialogs[0].kind, tk::MsgKind::Confirmation);
  EXPECT_EQ(rec.beeps, (std::vector<UINT>{MB_ICONQUESTION, MB_ICONQUESTION}));
  EXPECT_EQ(f.FileListBox1->ItemIndex(), index);
  // Directory entries are never deleted: no question is asked.
  Type(f, L"[SUB");
  f.FileListBox1KeyDown(key, 0);
  EXPECT_EQ(rec.dialogs.size(), 2u);
}

TEST_F(Browser, RenameMovesTheFileOrWarns) {
  TForm1& f = Make();
  Type(f, L"AB.");
  auto& rec = services.rec();
  rec.inputAnswers = {{true, L"NEW.BMP"}, {true, L"ABC.BMP"}};
  WORD key = VK_INSERT;
  f.FileListBox1KeyDown(key, 0);
  EXPECT_TRUE(tk::FileExists(dir + L"\\NEW.BMP"));
  ASSERT_EQ(rec.inputs.size(), 1u);
  EXPECT_EQ(rec.inputs[0].first, L"Rename File|New Name:");
  EXPECT_EQ(rec.inputs[0].second, L"AB.BMP");
  Type(f, L"ABX");
  f.FileListBox1KeyDown(key, 0);  // ABC.BMP exists: the rename fails
  ASSERT_EQ(rec.dialogs.size(), 1u);
  EXPECT_EQ(rec.dialogs[0].text, L"Error occured while renaming file !");
  EXPECT_EQ(rec.beeps.back(), static_cast<UINT>(MB_ICONEXCLAMATION));
}

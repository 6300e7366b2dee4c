#include <gtest/gtest.h>

#include "toolkit/portable/FileName.h"
#include "util/portable/PathUtil.h"

using namespace tk;
using namespace util;

// Extension keys (cut to four characters, upper case), the picture filter,
// the program directory and the parts of a path.
TEST(PathParts, KeysDirectoriesAndNames) {
  const std::pair<std::wstring, std::wstring> rows[] = {
      {ExtensionKey(L"photo.jpeg"), L".JPE"},
      {ExtensionKey(L"scan.tiff"), L".TIF"},
      {ExtensionKey(L"C:\\MY.DIR\\FILE"), L""},
      {ExtensionKey(L"C:FILE"), L""},
      {ExtensionKey(L"a.b.gif"), L".GIF"},
      {ExtensionKey(L"noext"), L""},
      {ExtensionKey(L"trailing."), L"."},
      {ProgramDirOf(L"C:\\LUMOS32.EXE"), L"C:\\"},  // only a drive's root keeps its backslash
      {ProgramDirOf(L"C:\\Program Files\\Lumo\\LUMOS32.EXE"), L"C:\\Program Files\\Lumo"},
      {FileNamePart(L"C:\\PICS\\A.GIF"), L"A.GIF"},
      {DirectoryPart(L"C:\\PICS\\A.GIF"), L"C:\\PICS\\"},
      {FileNamePart(L"C:A.GIF"), L"A.GIF"},
      {DirectoryPart(L"A.GIF"), L""},
      {UpperAscii(L"abc\u00e4z"), L"ABC\u00e4Z"}};
  for (const auto& [got, want] : rows) EXPECT_EQ(got, want);
  for (const wchar_t* n : {L"PHOTO.JPG", L"photo.jpg", L"SCAN.TIFF", L"a.bmp", L"a.GiF", L"x.wmf",
                           L"x.ico", L"x.pcx", L"C:\\DIR.X\\PIC.TIF"})
    EXPECT_TRUE(IsPictureFile(n)) << n;
  for (const wchar_t* n :
       {L"SHOT.JPEG", L"x.png", L"C:\\MY.DIR\\FILE", L"nodot", L"x.jp", L"x.thb", L".", L""})
    EXPECT_FALSE(IsPictureFile(n)) << n;
}

TEST(ShortenPath, MatchesTheLabelExamples) {
  EXPECT_EQ(ShortenPath(L"C:\\PROGRAMME\\GRAFIK\\BILDER\\URLAUB\\1996", 30),
            L"C:\\...\\BILDER\\URLAUB\\1996");
  EXPECT_EQ(ShortenPath(L"D:\\ONE\\TWO\\THREE\\FOUR\\FIVE\\SIX\\SEVEN\\EIGHT", 30),
            L"D:\\...\\FIVE\\SIX\\SEVEN\\EIGHT");
  const std::wstring longName(34, L'N');
  EXPECT_EQ(ShortenPath(L"C:\\AAAA\\" + longName, 30), L"C:\\...\\" + longName);
  const std::wstring p29 = L"C:\\" + std::wstring(26, L'X');
  ASSERT_EQ(p29.size(), 29u);
  EXPECT_EQ(ShortenPath(p29, 30), p29);
  const std::wstring single = L"C:\\" + std::wstring(32, L'Y');
  EXPECT_EQ(ShortenPath(single, 30), single);
  EXPECT_EQ(ShortenPath(std::wstring(40, L'Z'), 30), std::wstring(40, L'Z'));
}

TEST(SplitCommandLine, QuotesGroupBlanksAndAreDropped) {
  auto p = SplitCommandLine(L"\"C:\\Prog Files\\LUMOS32.EXE\" \"C:\\My Pics\\a b.gif\" -x");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0], L"C:\\Prog Files\\LUMOS32.EXE");
  EXPECT_EQ(p[1], L"C:\\My Pics\\a b.gif");
  EXPECT_EQ(p[2], L"-x");
  p = SplitCommandLine(L"prog C:\\My Pics\\a.gif");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1], L"C:\\My");
  p = SplitCommandLine(L"prog\t-u\x01tail");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1], L"-u");
  EXPECT_EQ(SplitCommandLine(L"  ").size(), 0u);
  p = SplitCommandLine(L"a\"b c\"d \"unterminated");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0], L"ab cd");
  EXPECT_EQ(p[1], L"unterminated");
}

TEST(TypeAheadSearch, SelectsFirstMatchOrItsPlace) {
  const std::vector<std::wstring> dirsFirst{L"[..]", L"[SUB]", L"A.BMP", L"C.GIF"};
  // "[" is greater than every upper-case letter: B's place is the first directory.
  EXPECT_EQ(TypeAheadSearch(dirsFirst, L"B"), 0u);
  EXPECT_EQ(TypeAheadSearch(dirsFirst, L"a"), 2u);
  EXPECT_EQ(TypeAheadSearch(dirsFirst, L""), 0u);

  const std::vector<std::wstring> abc{L"AB.BMP", L"ABC.BMP", L"ABX.BMP"};
  EXPECT_EQ(TypeAheadSearch(abc, L"ABCD"), 2u);
  EXPECT_EQ(TypeAheadSearch(abc, L"abx"), 2u);
  const std::vector<std::wstring> abOnly{L"AB.BMP", L"ABC.BMP"};
  EXPECT_EQ(TypeAheadSearch(abOnly, L"ABCD"), abOnly.size());  // nothing selected

  EXPECT_EQ(TypeAheadSearch({}, L"X"), 0u);  // empty list: index 0 == count, no selection
  // An equal character later in the scan wins over an earlier greater one.
  const std::vector<std::wstring> mixed{L"Z1", L"B1", L"B2"};
  EXPECT_EQ(TypeAheadSearch(mixed, L"B"), 1u);
  // No item with the next character: the place after the range.
  const std::vector<std::wstring> tail{L"AA", L"AB"};
  EXPECT_EQ(TypeAheadSearch(tail, L"AC"), 2u);
}

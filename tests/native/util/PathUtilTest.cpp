#include <gtest/gtest.h>

#include <tuple>

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
  const std::wstring longName(34, L'N'), p29 = L"C:\\" + std::wstring(26, L'X'),
                                         single = L"C:\\" + std::wstring(32, L'Y'),
                                         noDrive(40, L'Z');
  const std::pair<std::wstring, std::wstring> rows[] = {
      {L"C:\\PROGRAMME\\GRAFIK\\BILDER\\URLAUB\\1996", L"C:\\...\\BILDER\\URLAUB\\1996"},
      {L"D:\\ONE\\TWO\\THREE\\FOUR\\FIVE\\SIX\\SEVEN\\EIGHT", L"D:\\...\\FIVE\\SIX\\SEVEN\\EIGHT"},
      {L"C:\\AAAA\\" + longName, L"C:\\...\\" + longName},
      {p29, p29},  // 29 characters fit
      {single, single},
      {noDrive, noDrive}};
  for (const auto& [path, shown] : rows) EXPECT_EQ(ShortenPath(path, 30), shown);
}

TEST(SplitCommandLine, QuotesGroupBlanksAndAreDropped) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"\"C:\\Prog Files\\LUMOS32.EXE\" \"C:\\My Pics\\a b.gif\" -x",
       L"C:\\Prog Files\\LUMOS32.EXE|C:\\My Pics\\a b.gif|-x|"},
      {L"prog C:\\My Pics\\a.gif", L"prog|C:\\My|Pics\\a.gif|"},
      {L"prog\t-u\x01tail", L"prog|-u|tail|"},  // every character below "!" separates
      {L"  ", L""},
      {L"a\"b c\"d \"unterminated", L"ab cd|unterminated|"}};
  for (const auto& [line, params] : rows) {
    std::wstring joined;  // the parameters joined with "|"
    for (const std::wstring& p : SplitCommandLine(line)) joined += p + L"|";
    EXPECT_EQ(joined, params) << line;
  }
}

TEST(TypeAheadSearch, SelectsFirstMatchOrItsPlace) {
  using Items = std::vector<std::wstring>;
  const std::tuple<Items, const wchar_t*, size_t> rows[] = {
      // "[" is greater than every upper-case letter: B's place is the first directory.
      {{L"[..]", L"[SUB]", L"A.BMP", L"C.GIF"}, L"B", 0},
      {{L"[..]", L"[SUB]", L"A.BMP", L"C.GIF"}, L"a", 2},
      {{L"[..]", L"[SUB]", L"A.BMP", L"C.GIF"}, L"", 0},
      {{L"AB.BMP", L"ABC.BMP", L"ABX.BMP"}, L"ABCD", 2},
      {{L"AB.BMP", L"ABC.BMP", L"ABX.BMP"}, L"abx", 2},
      {{L"AB.BMP", L"ABC.BMP"}, L"ABCD", 2},  // the count: nothing selected
      {{}, L"X", 0},
      {{L"Z1", L"B1", L"B2"}, L"B", 1},  // an equal character later wins over a greater one
      {{L"AA", L"AB"}, L"AC", 2}};       // no item with the next character: after the range
  for (const auto& [items, text, index] : rows)
    EXPECT_EQ(TypeAheadSearch(items, text), index) << text;
}

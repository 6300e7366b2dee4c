// Both message formats against the settings record, written out as one line:
// "-" stands for a setting left as it was.
#include <gtest/gtest.h>

#include "codecs/msgfile/MessageFile.h"

namespace {

std::string Show(const std::optional<std::int32_t>& v) { return v ? std::to_string(*v) : "-"; }

std::string Show(const msgfile::Settings& s) {
  std::string style = "-";
  if (const auto& f = s.fontStyle)
    style = {"01"[f->bold], "01"[f->italic], "01"[f->underline], "01"[f->strikeOut]};
  return Show(s.fontColor) + " " + Show(s.fontHeight) + " " + s.fontName.value_or("-") + " " +
         Show(s.fontSize) + " " + style + " " + Show(s.background) + " " + Show(s.speed) +
         (s.error.empty() ? "" : " ! " + s.error) + " |";
}

TEST(TickerText, FieldsDefaultsAndEmptyFields) {
  const std::string invalid = "255 -13 SYSTEM - - 128 1 |  Invallid message format ! ";
  const std::pair<std::string, std::string> rows[] = {
      {"/sm|Hello/eo|", "255 -13 SYSTEM - - 128 1 | Hello"},
      {"Hello", invalid},
      {"/sm|Hello", invalid},
      {"/fc|$FF/fh|-20/fn|Arial/fs|12/ft|0110/bc|$800000/sp|3/sm|Hi/eo|",
       "255 -20 Arial 12 0110 8388608 3 | Hi"},
      {"/eo|x/sm|Hi/fh|/fc|5", "- -13 SYSTEM - - 128 1 | -"},
      {"/fc|/fh|/fn|/fs|/ft|/bc|/sp|/sm|/eo|", "- - - - - - - | -"},
      {"/fc|7/fh|abc/fn|X/sm|Hi/eo|", "7 - - - - - - ! 'abc' ist kein gültiger Integerwert | -"},
      {"/fc|$FFFFFFFF/fh|-2147483648/fn|/sp|+007/sm|Hi/eo|",
       "-1 -2147483648 SYSTEM - - 128 7 | Hi"},
      {"/sp|2147483648/sm|",
       "255 -13 SYSTEM - - 128 - ! '2147483648' ist kein gültiger Integerwert | -"},
      {"/fn|" + std::string(40, 'N') + "/fs|",  // cut to what a font record holds
       "255 -13 " + std::string(31, 'N') + " - - 128 1 |  Invallid message format ! "},
  };
  for (const auto& [text, want] : rows) {
    const msgfile::TickerSettings s = msgfile::ParseTickerText(text);
    EXPECT_EQ(Show(s) + " " + s.message.value_or("-"), want) << text;
  }
}

TEST(ScrollerText, SettingLinesAndScrollerLines) {
  const std::string lf = "x\n$FF\n-12\nArial\n9\n1001\n128\n2",
                    set = "255 -12 Arial 9 1001 128 2 |";
  const std::pair<std::string, std::string> rows[] = {
      {lf, set},
      {"x\n1\n2\nA", "1 2 A - - - - ! Listenindex überschreitet das Maximum (4) |"},
      {"x\r1\r2\rA\r3\r\r4\r5\rL1\rL2\r", "1 2 A 3 0000 4 5 |L1|L2|"},
      {"x\r\n1\r\n2\r\nA\r\n3\r\n\r\n4\r\n5\r\n\r\nL2", "1 2 A 3 0000 4 5 ||L2|"},
      {lf + "\nL1\n" + std::string(1, '\0') + "L2", set + "L1|"},
      {"x\n1\nfont\n", "1 - - - - - - ! 'font' ist kein gültiger Integerwert |"},
      {"x\n\n", "- - - - - - - ! '' ist kein gültiger Integerwert |"},
      {"x\n$\n", "- - - - - - - ! '$' ist kein gültiger Integerwert |"},
      {"x\n-\n", "- - - - - - - ! '-' ist kein gültiger Integerwert |"},
      {"x\n$100000000", "- - - - - - - ! '$100000000' ist kein gültiger Integerwert |"},
  };
  for (const auto& [text, want] : rows) {
    const msgfile::ScrollerSettings s = msgfile::ParseScrollerText(text);
    std::string lines;
    for (std::size_t i = 0; i < s.lines.Size(); ++i) lines += std::string(s.lines.Line(i)) + "|";
    EXPECT_EQ(Show(s) + lines, want) << text;
  }
}

}  // namespace

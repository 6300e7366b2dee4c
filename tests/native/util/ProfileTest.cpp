#include <gtest/gtest.h>

#include "util/portable/Profile.h"

using util::RemoveProfileLines;

namespace {
std::string Remove(const std::string& in, bool& removed) {
  return RemoveProfileLines(in, "Files", "LUMOS32.HLP", removed);
}
}  // namespace

TEST(RemoveProfileLines, DropsTheKeyInTheSectionOnly) {
  bool removed = false;
  const std::string in =
      "[Other]\r\nLUMOS32.HLP=X\r\n[files]\r\nA.HLP=C:\\A\r\nlumos32.hlp=C:\\LUMO\r\nB=1\r\n";
  EXPECT_EQ(Remove(in, removed),
            "[Other]\r\nLUMOS32.HLP=X\r\n[files]\r\nA.HLP=C:\\A\r\nB=1\r\n");
  EXPECT_TRUE(removed);
}

TEST(RemoveProfileLines, KeepsAKeyWithABlankBeforeTheEqualsSign) {
  bool removed = true;
  const std::string in = "[Files]\r\nLUMOS32.HLP =C:\\X\r\n";
  EXPECT_EQ(Remove(in, removed), in);
  EXPECT_FALSE(removed);
}

TEST(RemoveProfileLines, StopsFilteringAfterAnEmptyLine) {
  bool removed = false;
  const std::string in = "[Files]\r\nLUMOS32.HLP=1\r\n\r\nLUMOS32.HLP=2\r\n[Next]\r\n";
  EXPECT_EQ(Remove(in, removed), "[Files]\r\n\r\nLUMOS32.HLP=2\r\n[Next]\r\n");
  EXPECT_TRUE(removed);
}

TEST(RemoveProfileLines, StopsAtTheNextHeaderButKeepsIt) {
  bool removed = false;
  const std::string in = "[Files]\r\n[Files2]\r\nLUMOS32.HLP=1\r\n";
  EXPECT_EQ(Remove(in, removed), in);
  EXPECT_FALSE(removed);
}

TEST(RemoveProfileLines, WritesCrLfWhateverTheInputLineEnds) {
  bool removed = false;
  EXPECT_EQ(Remove("[Files]\nLUMOS32.HLP=1\nX=2\rY=3", removed), "[Files]\r\nX=2\r\nY=3\r\n");
  EXPECT_TRUE(removed);
  EXPECT_EQ(Remove("", removed), "");
  EXPECT_FALSE(removed);
}

TEST(RemoveProfileLines, HeaderAtTheEndAddsNoLine) {
  bool removed = true;
  EXPECT_EQ(Remove("A=1\r\n[Files]", removed), "A=1\r\n[Files]\r\n");
  EXPECT_FALSE(removed);
}

#include <gtest/gtest.h>

#include "util/portable/Profile.h"

// Removing LUMOS32.HLP from [Files]: the input, what is left, whether a line went.
TEST(RemoveProfileLines, OnlyTheKeyInItsSectionUpToAnEmptyLineOrTheNextHeader) {
  const struct {
    const char *in, *out;
    bool removed;
  } rows[] = {
      {"[Other]\r\nLUMOS32.HLP=X\r\n[files]\r\nA.HLP=C:\\A\r\nlumos32.hlp=C:\\LUMO\r\nB=1\r\n",
       "[Other]\r\nLUMOS32.HLP=X\r\n[files]\r\nA.HLP=C:\\A\r\nB=1\r\n", true},
      {"[Files]\r\nLUMOS32.HLP =C:\\X\r\n", "[Files]\r\nLUMOS32.HLP =C:\\X\r\n", false},  // a blank
      {"[Files]\r\nLUMOS32.HLP=1\r\n\r\nLUMOS32.HLP=2\r\n[Next]\r\n",
       "[Files]\r\n\r\nLUMOS32.HLP=2\r\n[Next]\r\n", true},
      {"[Files]\r\n[Files2]\r\nLUMOS32.HLP=1\r\n", "[Files]\r\n[Files2]\r\nLUMOS32.HLP=1\r\n",
       false},
      {"[Files]\nLUMOS32.HLP=1\nX=2\rY=3", "[Files]\r\nX=2\r\nY=3\r\n", true},  // CR LF written
      {"", "", false},
      {"A=1\r\n[Files]", "A=1\r\n[Files]\r\n", false}};
  for (const auto& r : rows) {
    bool removed = !r.removed;
    EXPECT_EQ(util::RemoveProfileLines(r.in, "Files", "LUMOS32.HLP", removed), r.out) << r.in;
    EXPECT_EQ(removed, r.removed) << r.in;
  }
}

// The moving text on a real control: message files written on the spot, step
// messages sent, the text bitmap drawn into a memory canvas.
#include "ImageFixture.h"
#include "toolkit/Clipboard.h"

namespace imagectl_test {
namespace {

using V = std::vector<int>;
constexpr UINT kStepX = WM_USER + 1, kStepY = WM_USER + 2;
constexpr std::uint32_t kFill = Rgb(0x12, 0x34, 0x56);               // the canvas before any step
const std::string kCms = "x\n255\n-13\nSYSTEM\n10\n0000\n128\n0\n";  // speed 0

class Ticker : public ::testing::Test {
 protected:
  Ticker() : host(200, 100), canvas(200, 100) {
    c().tickerDc = canvas.dc();
    c().SetColor(tk::clWhite);
  }
  ProbeImage& c() { return *host.image; }
  void Load(const std::wstring& name, const std::string& text) {
    c().SetImageName(Put(name, Bytes(text.begin(), text.end())));
  }
  void Send(UINT msg, int times = 1) {
    while (times-- > 0) SendMessageW(c().Handle(), msg, 0, 0);
    GdiFlush();
  }
  Host host;
  Canvas canvas;
};

TEST_F(Ticker, TextRunsInFromTheRightOnDueStepsAndWraps) {
  c().textSize = SIZE{80, 16};
  Load(L"run.scm", "/sp|3/sm|Hi/eo|");
  c().StopTicker();
  for (UINT step : {kStepX, kStepY}) Send(step, 5);  // stopped: nothing moves or counts
  EXPECT_EQ(canvas.Count([](std::uint32_t p) { return p != kFill; }), 0);
  Load(L"run.scm", "/sp|3/sm|Hi/eo|");
  Send(kStepX, 3);
  EXPECT_EQ(c().Where(), (V{200, 42, 80, 16, 0}));
  Send(kStepX);  // the 4th message steps
  const int fourth = c().Where()[0];
  Load(L"run.scm", "/sp|0/sm|Hi/eo|");
  Send(kStepX, 120);
  const RECT r = canvas.Bounds([](std::uint32_t p) { return p != kFill; });
  const int red = canvas.Count([](std::uint32_t p) { return p == Rgb(255, 0, 0); });
  Send(kStepX, 161);  // the 281st step: in again from the right, drawn there at once
  EXPECT_EQ((V{fourth, r.left, r.top, r.right, r.bottom, red > 0, c().Where()[0]}),
            (V{199, 80, 42, 200, 58, 1, 200}));
}

TEST_F(Ticker, ScrollerLinesArePaddedWidenedAndRiseInTurn) {
  c().textSize = SIZE{48, 16};
  Load(L"lines.cms", kCms + "Hello\n\n  B ");
  EXPECT_EQ(c().Where(), (V{72, 100, 56, 21, 0}));  // "  Hello ", widened
  // The pen's outline around colour 128.
  EXPECT_EQ(std::pair(canvas.At(0, 0), canvas.At(100, 50)), std::pair(0u, Rgb(128, 0, 0)));
  Send(kStepY, 122);  // Hello has left: the empty line is taken and skipped
  EXPECT_EQ(c().Where(), (V{72, -22, 56, 21, 1}));
  Send(kStepY);
  EXPECT_EQ(c().Where(), (V{64, 100, 72, 21, 2}));  // "  B " as it is, widened
  Send(kStepY, 122);
  const int line = c().Where()[4];
  c().TickerLines.Release();  // without lines the last bitmap rises again
  Send(kStepY, 122);
  EXPECT_EQ(std::pair(line, c().Where()[1]), std::pair(0, 100));
  for (const char* blanks : {" ", "  "}) {  // too short to widen
    Load(L"blank.cms", kCms + blanks);
    EXPECT_EQ(c().Where()[2], 48) << blanks;
  }
  Load(L"slow.cms", "x\n255\n-13\nSYSTEM\n10\n0000\n128\n2\nHello");
  Send(kStepY, 2);
  const int second = c().Where()[1];  // speed 2: every third message steps
  Send(kStepY, 4);
  EXPECT_EQ(std::pair(second, c().Where()[1]), std::pair(100, 98));
}

TEST_F(Ticker, StoppingRestoresTheColourAndEmptiesThePicture) {
  WriteBytes(TempPath(L"stop.ico"), DataBytes(L"icon.ico"));
  for (const wchar_t* next : {L"", L"stop.ico", L"missing.bmp"}) {  // "": StopTicker
    Load(L"stop.scm", "/sm|Hi/eo|");
    *next ? c().SetImageName(TempPath(next)) : c().StopTicker();
    const bool missing = *next == L'm';  // a missing file stops nothing
    EXPECT_EQ(std::tuple(c().TickerActive, c().GetColor(), c().Picture().Empty()),
              std::tuple(missing, missing ? 128u : tk::clWhite, *next != L's'));
    c().StopTicker();
  }
  // Empty fields keep what the file before set, in the control.
  Load(L"set.scm", "/fc|5/fh|-20/fn|Arial/fs|/ft|/bc|$123456/sp|3/sm|Hi/eo|");
  Load(L"keep.scm", "/fc|/fh|/fn|/fs|/ft|/bc|/sp|/sm|Ho/eo|");
  EXPECT_TRUE(c().GetColor() == 0x123456u && c().TickerSpeed == 3 &&
              c().TickerFont.name == L"Arial" && c().TickerFont.height == -20);
  Load(L"stop.scm", "/sm|Hi/eo|");  // a paste stops the drawing, the ticker's colour stays
  {
    tk::Clipboard clipboard(c().Handle());
    clipboard.Empty();
    base::Bitmap bitmap(CreateBitmap(1, 1, 1, 32, nullptr));
    clipboard.SetData(CF_BITMAP, bitmap);
  }
  SendMessageW(c().Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(std::pair(c().TickerActive, c().GetColor()), std::pair(false, 128ul));
}

TEST_F(Ticker, HostileMessageFilesFailQuietly) {
  const long gdi = GdiObjectCount();
  const std::pair<const wchar_t*, std::string> rows[] = {
      {L"eight.cms", kCms},  // no line 9, or an empty one: no scroller, the colour stays
      {L"empty9.cms", kCms + "\nA"},
      {L"empty.cms", kCms + std::string((16 << 20) - kCms.size(), '\n')},
      {L"long.scm", "/sm|" + std::string(10 << 20, 'W') + "/eo|"},
      {L"long.cms", kCms + "A\n" + std::string(10 << 20, 'W')},  // fails at its second line
      {L"huge.cms", kCms + std::string((16 << 20) + 1 - kCms.size(), 'A')},
      {L"bad.scm", "/fh|x12/fn|Arial/sm|Hi/eo|"}};
  const std::uint64_t held = PrivateBytes();
  for (const auto& [name, text] : rows) {
    Load(name, text);
    Send(kStepY, 122);
    EXPECT_FALSE(c().TickerActive || c().ScrollerActive || c().GetColor() != tk::clWhite) << name;
  }
  EXPECT_EQ(GdiObjectCount(), gdi + (c().Where()[2] > 0));  // the last good line's bitmap
  EXPECT_LT(PrivateBytes(), held + (1 << 20));              // millions of lines leave nothing held
  Load(L"big.cms", std::string(70000, 'x') + kCms.substr(1) + "A");  // read whole
  EXPECT_TRUE(c().ScrollerActive);
}

}  // namespace
}  // namespace imagectl_test

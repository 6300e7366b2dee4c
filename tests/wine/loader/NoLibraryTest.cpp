// Without RSTRIM32.DLL every decoder and the information query fail like a
// library failure: an error box, the row's message, no crash. The test runs
// a copy of this program from a directory where the library is not found.
#include "LoaderFixture.h"
#include "codecs/DecoderLibrary.h"

namespace loader_test {
namespace {

const wchar_t kChildFlag[] = L"LUMO_LOADER_NO_LIBRARY";
const wchar_t kMissingText[] = L"The picture library RSTRIM32.DLL could not be loaded.";

bool InChild() { return GetEnvironmentVariableW(kChildFlag, nullptr, 0) > 0; }

TEST(NoLibrary, RunsInACopyWithoutTheLibrary) {
  if (InChild()) GTEST_SKIP() << "the copy runs the checks below";
  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const std::wstring dir = TempFile(L"nolib");
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring copy = dir + L"\\loader_copy.exe";
  const std::wstring marker = TempFile(L"nolib-ran");
  DeleteFileW(marker.c_str());
  ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
  std::wstring command = L"\"" + copy + L"\" --gtest_filter=NoLibraryChild.*";
  ASSERT_TRUE(SetEnvironmentVariableW(kChildFlag, L"1"));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, dir.c_str(), &si, &pi);
  SetEnvironmentVariableW(kChildFlag, nullptr);
  ASSERT_TRUE(started);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DeleteFileW(copy.c_str());
  EXPECT_EQ(code, 0u) << "the checks in the copy failed";
  EXPECT_NE(FileSizeOf(marker), -1) << "the checks in the copy did not run";
}

class NoLibraryChild : public LoaderTest {
 protected:
  void SetUp() override {
    if (!InChild()) GTEST_SKIP() << "runs only in the copy";
    ASSERT_EQ(LoadLibraryA("RSTRIM32.DLL"), nullptr);
  }
};

TEST_F(NoLibraryChild, DecoderAndQueryFailWithTheMissingLibrarysText) {
  const std::wstring path = Put(L"nolib.bmp", L"bmp-24.bmp");
  tk::BitmapObject bitmap;
  bitmap.SetHandle(base::Bitmap(CreateBitmap(2, 2, 1, 1, nullptr)));
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, path, 24, 0, bitmap),
            rstrim::kGeneralFailure);
  EXPECT_TRUE(bitmap.Empty());
  codecs::ImageInfo info;
  EXPECT_EQ(codecs::QueryFileInfo(path, info), rstrim::kGeneralFailure);
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(codecs::LibraryErrorText(rstrim::kGeneralFailure), kMissingText);
}

TEST_F(NoLibraryChild, LoadShowsTheRowMessage) {
  const std::wstring path = Put(L"nolib.gif", L"gif-pal16.gif");
  image().SetImageName(path);
  ASSERT_EQ(dialogs().size(), 3u);
  EXPECT_EQ(dialogs()[0].text, kMissingText);
  EXPECT_EQ(dialogs()[1].text, L"Reading gif file failed");
  EXPECT_EQ(dialogs()[2].text, kMissingText);
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().ImageFileSize(), FileSizeOf(path));
  image().SetImageName(L"LOGO.RES");
  EXPECT_EQ(image().Picture().Width(), 40) << "the program's own resources need no library";
  Put(L"nolib-ran", Bytes{1});
}

}  // namespace
}  // namespace loader_test

// Nothing leaks and copies cost no pixels: GDI objects after a thousand
// controls, and private memory after a large picture's assignment.
#include <cstdio>

#include "ImageFixture.h"
#include "toolkit/Picture.h"
#include "toolkit/PictureReaders.h"

namespace imagectl_test {
namespace {

TEST(Resources, ThousandControlsLeaveNoGdiObjects) {
  {  // the count must see a new object, or the loop below proves nothing
    const long before = GdiObjectCount();
    base::Pen pen(CreatePen(PS_SOLID, 1, 0));
    ASSERT_EQ(GdiObjectCount(), before + 1);
  }
  const Bytes ico = DataBytes(L"icon.ico"), wmf = DataBytes(L"red.wmf");
  Canvas canvas(64, 48);
  tk::Form form;
  form.SetBounds(0, 0, 300, 200);
  form.Handle();
  auto cycle = [&](int i) {
    auto a = std::make_unique<TPMultiImage>();
    auto b = std::make_unique<TPMultiImage>();
    a->SetParent(&form);
    b->SetParent(&form);
    a->SetBounds(0, 0, 64, 48);
    b->SetBounds(0, 0, 64, 48);
    a->SetRastriumPalette(i % 2 == 0);
    a->SetText(L"Leak?");
    a->SetTextShadow(true);
    a->SetTextTransParent(i % 3 == 0);
    switch (i % 3) {
      case 0:
        LoadBitmap(*a, MakeSolidBitmap(30, 20, Rgb(1, 2, 3)), MakePalette());
        a->SetStretchRatio(true);
        break;
      case 1:
        a->Picture().Assign(tk::ReadIcon(ico.data(), ico.size()));
        break;
      default:
        a->Picture().Assign(tk::ReadMetafile(wmf.data(), wmf.size()));
        a->SetStretch(true);
        break;
    }
    b->SetPicture(a->Picture());
    canvas.Render(*a);
    canvas.Render(*b);
    a.reset();
    canvas.Render(*b);  // the copy outlives the original
  };
  cycle(0);  // first-use caches (classes, stock objects) settle before counting
  cycle(1);
  cycle(2);
  const long gdi = GdiObjectCount();
  const long live = tk::SharedImage::LiveCount();
  for (int i = 0; i < 1000; ++i) cycle(i);
  EXPECT_EQ(tk::SharedImage::LiveCount(), live);
  EXPECT_EQ(GdiObjectCount(), gdi);
  std::printf("GDI objects before and after 1000 cycles: %ld, %ld\n", gdi, GdiObjectCount());
}

TEST(Resources, CopyOfLargePictureCostsNoPixels) {
  Host a(300, 200), b(300, 200);
  const std::uint64_t start = PrivateBytes();
  HBITMAP big = MakeSolidBitmap(6000, 4000, Rgb(9, 9, 9));
  ASSERT_NE(big, nullptr);
  LoadBitmap(*a.image, big);
  const std::uint64_t loaded = PrivateBytes();
  const std::uint64_t pixels = 6000ull * 4000ull * 3ull;
  EXPECT_GE(loaded - start, pixels * 9 / 10) << "the measure sees the first copy";
  b.image->SetPicture(a.image->Picture());
  b.image->SetStretch(true);
  Canvas canvas(300, 200);
  canvas.Render(*b.image);
  const std::uint64_t copied = PrivateBytes();
  std::printf("private bytes: start %llu, loaded +%llu, copied +%lld\n",
              static_cast<unsigned long long>(start),
              static_cast<unsigned long long>(loaded - start),
              static_cast<long long>(copied) - static_cast<long long>(loaded));
  EXPECT_LT(static_cast<long long>(copied) - static_cast<long long>(loaded),
            static_cast<long long>(pixels / 10));
  EXPECT_EQ(canvas.At(150, 100), Rgb(9, 9, 9));
  a.image->Picture().Clear();
  EXPECT_EQ(b.image->Picture().Width(), 6000) << "the copy keeps the pixels";
}

}  // namespace
}  // namespace imagectl_test

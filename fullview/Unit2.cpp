#include "fullview/Unit2.h"

#include "forms/Form2.h"
#include "imagectl/TMultiP.h"
#include "toolkit/Application.h"

TForm2* Form2 = nullptr;

namespace {

constexpr int kLineStep = 2;
constexpr int kPageStep = 10;

// Forward by a page while more than a page step minus one is hidden, then
// onto the edge.
int PageForward(int pos, int extent, int area) {
  if (pos + extent > area + kPageStep - 1) return pos - kPageStep;
  if (pos + extent > area) return area - extent;
  return pos;
}

int PageBack(int pos) {
  if (pos < -(kPageStep - 1)) return pos + kPageStep;
  return pos < 0 ? 0 : pos;
}

// Moves a w x h picture at (left, top) in a cw x ch window for one key; each
// key only tests whether part of the picture is still hidden on its side.
void Pan(WORD key, int& left, int& top, int w, int h, int cw, int ch) {
  switch (key) {
    case VK_DOWN:
      if (top + h > ch) top -= kLineStep;
      break;
    case VK_UP:
      if (top < 0) top += kLineStep;
      break;
    case VK_RIGHT:
      if (left + w > cw) left -= kLineStep;
      break;
    case VK_LEFT:
      if (left < 0) left += kLineStep;
      break;
    case VK_NEXT:
      top = PageForward(top, h, ch);
      break;
    case VK_PRIOR:
      top = PageBack(top);
      break;
    case VK_END:
      left = PageForward(left, w, cw);
      break;
    case VK_HOME:
      left = PageBack(left);
      break;
    default:
      break;
  }
}

}  // namespace

TForm2::TForm2() {
  SetDialogNavigation(false);
  notifyHandlers[L"FormShow"] = [this](Control&) { FormShow(); };
  notifyHandlers[L"FormClick"] = [this](Control&) { FormClick(); };
  keyHandlers[L"FormKeyDown"] = [this](Control&, WORD& k, unsigned s) { FormKeyDown(k, s); };
  keyPressHandlers[L"FormKeyPress"] = [this](Control&, wchar_t& k) { FormKeyPress(k); };
}

void TForm2::Create() {
  Load(forms::Form2Resource());
  PMultiImage1 = Component<TPMultiImage>(L"PMultiImage1");
}

void TForm2::FormShow() {
  tk::Application::Instance().SetCursor(tk::ScreenCursor::None);
  // Every showing starts again at the top-left corner.
  PMultiImage1->SetTop(0);
  PMultiImage1->SetLeft(0);
  if (!mainImage) return;
  PMultiImage1->SetWidth(mainImage->ImageWidth());
  PMultiImage1->SetHeight(mainImage->ImageHeight());
}

void TForm2::FormKeyDown(WORD& key, unsigned) {
  // The previous step is painted before the next one is taken.
  tk::Application::Instance().ProcessMessages();
  int left = PMultiImage1->Left(), top = PMultiImage1->Top();
  Pan(key, left, top, PMultiImage1->Width(), PMultiImage1->Height(), ClientWidth(), ClientHeight());
  if (left != PMultiImage1->Left() || top != PMultiImage1->Top())
    PMultiImage1->SetBounds(left, top, PMultiImage1->Width(), PMultiImage1->Height());
}

void TForm2::FormKeyPress(wchar_t& key) {
  if (key == 13 || key == 27 || key == 32) Close();
}

void TForm2::FormClick() {
  tk::Application::Instance().SetCursor(tk::ScreenCursor::Default);
  Close();
}

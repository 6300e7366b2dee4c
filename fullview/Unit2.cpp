#include "fullview/Unit2.h"

#include "forms/Form2.h"
#include "imagectl/TMultiP.h"
#include "toolkit/Application.h"

TForm2* Form2 = nullptr;

namespace {

// A panning key: the axis it moves along, its direction, its step. A page
// key snaps onto the edge once less than a full step is hidden; an arrow key
// steps on while anything is hidden.
struct PanKey {
  WORD key;
  bool vertical;
  bool forward;  // down or right: the picture moves up or left
  int step;
  bool snaps;
};

constexpr PanKey kPanKeys[] = {
    {VK_DOWN, true, true, 2, false},   {VK_UP, true, false, 2, false},
    {VK_RIGHT, false, true, 2, false}, {VK_LEFT, false, false, 2, false},
    {VK_NEXT, true, true, 10, true},   {VK_PRIOR, true, false, 10, true},
    {VK_END, false, true, 10, true},   {VK_HOME, false, false, 10, true}};

// The new position along the key's axis of a picture extent long in an area.
int Pan(const PanKey& k, int pos, int extent, int area) {
  const int hidden = k.forward ? pos + extent - area : -pos;
  if (hidden <= 0) return pos;
  if (k.snaps && hidden < k.step) return k.forward ? area - extent : 0;
  return k.forward ? pos - k.step : pos + k.step;
}

}  // namespace

TForm2::TForm2() { SetDialogNavigation(false); }

void TForm2::Create() { Load(forms::Form2Resource()); }

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
  for (const PanKey& k : kPanKeys) {
    if (k.key != key) continue;
    TPMultiImage& c = *PMultiImage1;
    if (k.vertical)
      c.SetTop(Pan(k, c.Top(), c.Height(), ClientHeight()));
    else
      c.SetLeft(Pan(k, c.Left(), c.Width(), ClientWidth()));
  }
}

void TForm2::FormMouseWheel(int notches, bool horizontal) {
  const bool forward = notches > 0;
  const WORD key = horizontal ? (forward ? VK_END : VK_HOME) : (forward ? VK_NEXT : VK_PRIOR);
  for (int i = 0; i < notches || i < -notches; ++i) {
    WORD pressed = key;
    FormKeyDown(pressed, 0);
  }
}

void TForm2::FormKeyPress(wchar_t& key) {
  if (key == 13 || key == 27 || key == 32) Close();
}

void TForm2::FormClick() {
  tk::Application::Instance().SetCursor(tk::ScreenCursor::Default);
  Close();
}

// The full-screen view: the current picture unscaled on a black, border-less,
// maximised window, panned with the keyboard.
#pragma once
#include "toolkit/Form.h"

class TPMultiImage;

class TForm2 : public tk::Form {
 public:
  TForm2();
  // Builds the window from its resource.
  void Create();
  TPMultiImage* PMultiImage1 = nullptr;
  // The main window's control, whose picture size every showing takes.
  TPMultiImage* mainImage = nullptr;  // we don't own it

  void FormShow();
  void FormKeyDown(WORD& key, unsigned shift);
  void FormKeyPress(wchar_t& key);
  void FormClick();
  // Each notch pans as the page key of its direction: Page Down or Page Up,
  // End or Home for the tilt wheel and the wheel with Shift.
  void FormMouseWheel(int notches, bool horizontal);
};

extern TForm2* Form2;

// The full-screen view: the current picture unscaled on a black, border-less,
// maximised window.
#pragma once
#include "toolkit/Form.h"

class TPMultiImage;

class TForm2 : public tk::Form {
 public:
  TForm2();
  // Builds the window from its resource.
  void Create();
  TPMultiImage* PMultiImage1 = nullptr;
};

extern TForm2* Form2;

#include "fullview/Unit2.h"

#include "forms/Form2.h"
#include "imagectl/TMultiP.h"

TForm2* Form2 = nullptr;

TForm2::TForm2() { SetDialogNavigation(false); }

void TForm2::Create() {
  Load(forms::Form2Resource());
  PMultiImage1 = Component<TPMultiImage>(L"PMultiImage1");
}

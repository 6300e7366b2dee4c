// Form resource of the full-screen view. Its events name member functions of
// TForm2, so it is compiled with that class (in the fullview library).
#pragma once
#include "toolkit/Form.h"

namespace forms {

const tk::FormResource& Form2Resource();

}  // namespace forms

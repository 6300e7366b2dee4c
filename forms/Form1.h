// Form resource of the main window. Its events name member functions of
// TForm1, so it is compiled with that class (in the app library).
#pragma once
#include "toolkit/Form.h"

namespace forms {

const tk::FormResource& Form1Resource();

}  // namespace forms

// Form resource of the main window.
#pragma once
#include "toolkit/Form.h"

namespace forms {

const tk::FormResource& Form1Resource();

}  // namespace forms

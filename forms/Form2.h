// Form resource of the full-screen view.
#pragma once
#include "toolkit/Form.h"

namespace forms {

const tk::FormResource& Form2Resource();

}  // namespace forms

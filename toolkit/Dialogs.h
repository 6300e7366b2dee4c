// The toolkit's own message and input dialogs (German standard texts, custom
// button captions, which MessageBox cannot give).
#pragma once
#include <string>

#include "toolkit/Services.h"

namespace tk {

int ShowMessageDialog(const std::wstring& text, MsgKind kind, unsigned buttons);
bool ShowInputDialog(const std::wstring& caption, const std::wstring& prompt, std::wstring& value);

}  // namespace tk

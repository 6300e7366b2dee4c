// Bitmap resources of an already-loaded module (the program's own by default)
// read into a bitmap object, with a palette built from their colour table.
#pragma once
#include <windows.h>

#include <string>

#include "toolkit/Picture.h"

namespace codecs {

// moduleName empty: the program's own module. A resourceName that reads as an
// integer (tk::TryStrToInt) names the integer identifier. The bitmap is made
// for wnd's device context. False when the resource is missing or not a sound
// bitmap; the object is then untouched.
bool ReadResourceBitmap(const std::wstring& moduleName, const std::wstring& resourceName, HWND wnd,
                        tk::BitmapObject& bitmap);

}  // namespace codecs

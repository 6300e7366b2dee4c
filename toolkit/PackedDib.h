// Packed device-independent bitmaps: a header, its colour table and the pixel
// rows in one block, the form the clipboard's CF_DIB carries. Any process can
// read one, unlike a DIB section, whose pixels live in the process that made it.
#pragma once
#include <windows.h>

#include "base/Handles.h"

namespace tk {

// The bitmap's pixels as a packed DIB in moveable global memory, exactly: at
// its own depth (1, 4, 8, 24 or 32 bits per pixel; 16 goes as 24), with the
// colour table up to 8 bits. A device-dependent bitmap's colours are read
// through its palette. Raises EOutOfResources.
base::GlobalMem PackDib(HBITMAP bitmap, HPALETTE palette);

// A bitmap in the screen's format that no DC holds, with the pixels of the
// packed DIB in memory we made (PackDib). Raises EOutOfResources.
base::Bitmap ScreenBitmapOf(HGLOBAL packed);

}  // namespace tk

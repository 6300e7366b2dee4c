// What the image control's loader reads for a stored name: each function
// hands back what it read, and TPMultiImage applies it and shows the
// messages. Nothing here knows the control.
#pragma once
#include <windows.h>

#include <string>

#include "imagectl/Readers.h"
#include "toolkit/Picture.h"

namespace imagectl {

// The bitmap a kLibrary or kResource row read; empty when nothing came back.
struct BitmapRead {
  tk::BitmapObject bitmap;
  bool read = false;
  // The library's answer for a kLibrary row; its failures have a text of their own.
  short libraryResult = 1;
};

// Reads name with a kLibrary or kResource row: the library's decoder at
// resolution bits per pixel, or the bitmap resource ResourceNameOf(name) of
// resourceModule (empty: the program's own) made for wnd's device context.
BitmapRead ReadBitmap(const ReaderRow& row, const std::wstring& name, int resolution, int dither,
                      const std::wstring& resourceModule, HWND wnd);

// Reads name with the toolkit's icon or metafile reader; raises like them.
tk::Picture ReadToolkitPicture(const std::wstring& name);

// The picture-information fields.
struct ImageInfo {
  std::wstring type;
  int width = 0;
  int height = 0;
  int depthA = 0;  // depthA * depthB = bits per pixel; 0 when no depth is reported
  int depthB = 0;
  int extra = 0;
  int fileSize = 0;
  std::wstring detail;
};

struct InfoQuery {
  ImageInfo info;
  bool known = false;
  // The library's answer when it was asked; its failures have a text of their own.
  short libraryResult = 1;
};

// The information for fileName: a .RES name from the picture it brought, an
// icon, metafile or message file from the picture and the file's length,
// every other name from the decoding library, whatever it answers.
InfoQuery QueryImageInfo(const std::wstring& fileName, const tk::Picture& picture);

}  // namespace imagectl

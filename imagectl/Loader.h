// What the image control's loader reads for a stored name: each function
// hands back what it read, and TPMultiImage applies it and shows the
// messages. Nothing here knows the control.
#pragma once
#include <windows.h>

#include <string>

#include "codecs/DecoderLibrary.h"
#include "imagectl/FileTypes.h"
#include "toolkit/Picture.h"

namespace imagectl {

// The bitmap a library decoder or a resource read; empty when nothing came back.
struct BitmapRead {
  tk::BitmapObject bitmap;
  bool read = false;
  // The library's answer; its failures have a text of their own.
  short libraryResult = 1;
};

// The picture information a reader gives, and whether it knows the file.
struct InfoQuery {
  codecs::ImageInfo info;
  bool known = false;
  // The library's answer when it was asked; its failures have a text of their own.
  short libraryResult = 1;
};

// Each reader's picture and its information. The control picks the reader
// once per load (TPMultiImage::GetImageName); QueryImageInfo picks again only
// when the information alone is asked for.

// kLibrary: the library's decoder at resolution bits per pixel; the
// information is the library's, whatever it answers, with the file's length.
BitmapRead ReadLibraryBitmap(codecs::Decoder decoder, const std::wstring& name, int resolution,
                             int dither);
InfoQuery LibraryInfo(const std::wstring& fileName);

// kResource: the bitmap resource ResourceNameOf(name) of resourceModule
// (empty: the program's own) made for wnd's device context; the information
// comes from the picture it brought.
BitmapRead ReadResourceBitmap(const std::wstring& name, const std::wstring& resourceModule,
                              HWND wnd);
InfoQuery ResourceInfo(const tk::Picture& picture);

// kToolkit: the toolkit's icon or metafile reader; raises like them.
tk::Picture ReadToolkitPicture(const std::wstring& name);
// kToolkit and the message files: the picture's size and the file's length.
InfoQuery OwnFileInfo(const std::wstring& fileName, const tk::Picture& picture);

// The information for fileName by its type; a name of no type is the
// library's to describe.
InfoQuery QueryImageInfo(const std::wstring& fileName, const tk::Picture& picture);

}  // namespace imagectl

#include "forms/Form2.h"

#include "fullview/Unit2.h"
#include "imagectl/TMultiP.h"

// The resource keeps its layout as data, one row a property.
// clang-format off
namespace forms {

using tk::Control;
using tk::Form;

const tk::FormResource& Form2Resource() {
  static const tk::FormResource res{
      L"Form2",
      L"TForm2",
      {{L"BorderStyle", L"bsNone"},
       {L"ClientWidth", L"120"},
       {L"ClientHeight", L"111"},
       {L"Color", L"clBlack"},
       {L"Font.Name", L"System"},
       {L"Font.Height", L"-13"},
       {L"KeyPreview", L"True"},
       {L"WindowState", L"wsMaximized"},
       {L"Position", L"poDefault"}},
      {
          {L"PMultiImage1", L"TPMultiImage", L"Form2", &TForm2::PMultiImage1,
           {{L"Left", L"0"}, {L"Top", L"0"}, {L"Width", L"105"}, {L"Height", L"105"},
            {L"Color", L"clBlack"}, {L"Enabled", L"False"}, {L"TabStop", L"False"},
            {L"TabOrder", L"0"}, {L"RastriumPalette", L"False"}, {L"ImageDither", L"False"},
            {L"ImageReadRes", L"lAutoMatic"}, {L"ImageWriteRes", L"sAutoMatic"},
            {L"TifSaveCompress", L"sNONE"}, {L"JPegSaveQuality", L"15"},
            {L"JPegSaveSmooth", L"0"}, {L"TextLeft", L"0"}, {L"TextTop", L"0"},
            {L"TextRotate", L"0"}, {L"ImageName", L"file not found"}}},
      },
      // The form's own events.
      {{&Form::OnShow, &TForm2::FormShow}, {&Control::OnKeyDown, &TForm2::FormKeyDown},
       {&Control::OnKeyPress, &TForm2::FormKeyPress}, {&Control::OnClick, &TForm2::FormClick},
       {&Control::OnMouseWheel, &TForm2::FormMouseWheel}}};
  return res;
}

}  // namespace forms
// clang-format on

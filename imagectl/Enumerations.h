// The image control's enumerations, each with the names its values have in
// the form resources (in enumeration order). Apart from TMultiP.h, so that the
// loader needs nothing of the control.
#pragma once

enum class TLoadResolution { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
inline constexpr const wchar_t* kLoadResolutionNames[] = {
    L"lColorVga", L"lMonoChrome", L"lColor16", L"lColor256", L"lColorTrue", L"lAutoMatic"};

enum class TSaveResolution {
  sColorVga,
  sMonoChrome,
  sColor16,
  sColor256,
  sColorTrue,
  sJpegGray,
  sAutoMatic
};
inline constexpr const wchar_t* kSaveResolutionNames[] = {
    L"sColorVga",  L"sMonoChrome", L"sColor16",  L"sColor256",
    L"sColorTrue", L"sJpegGray",   L"sAutoMatic"};

enum class TTiffCompression { sNONE, sCCITT, sLZW, sPACKBITS };
inline constexpr const wchar_t* kTiffCompressionNames[] = {L"sNONE", L"sCCITT", L"sLZW",
                                                           L"sPACKBITS"};

enum class TBorderStyle { bsNone, bsSingle };
inline constexpr const wchar_t* kBorderStyleNames[] = {L"bsNone", L"bsSingle"};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
inline constexpr const wchar_t* kAlignNames[] = {L"alNone", L"alTop",   L"alBottom",
                                                 L"alLeft", L"alRight", L"alClient"};

// JPEG through libjpeg-turbo. libjpeg reports errors by longjmp, so every call
// into it happens in a small "phase" function that sets the jump point and owns
// no C++ object with a destructor; the objects live in the caller's frame.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "rstrim/core/Codecs.h"
#include "rstrim/core/Exif.h"

namespace rstrim {

namespace {

// A picture with more scans than this is hostile: each scan re-walks the coefficients.
constexpr int kMaxScans = 500;
constexpr size_t kInputBuffer = 64 * 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  Result result;
};

struct SourceManager {
  jpeg_source_mgr pub;
  ByteSource* src;
  bool hitEnd;
  JOCTET buffer[kInputBuffer];
};

struct JpegSession {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  SourceManager source;
  jpeg_progress_mgr progress;
  bool created = false;

  JpegSession() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&err, 0, sizeof err);
    std::memset(&progress, 0, sizeof progress);
  }
  ~JpegSession() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  switch (err->pub.msg_code) {
    case JERR_OUT_OF_MEMORY:
      err->result = kOutOfMemory;
      break;
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
      err->result = kUnsupported;
      break;
    default:
      err->result = kDamaged;
      break;
  }
  std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr) {}
void EmitMessage(j_common_ptr, int) {}

void Progress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->result = kDamaged;
    std::longjmp(err->jump, 1);
  }
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  auto* sm = reinterpret_cast<SourceManager*>(cinfo->src);
  size_t n = sm->src->Read(sm->buffer, kInputBuffer);
  if (n == 0) {
    // Truncated: hand libjpeg an end marker so it stops cleanly; remember it.
    sm->hitEnd = true;
    sm->buffer[0] = 0xFF;
    sm->buffer[1] = JPEG_EOI;
    n = 2;
  }
  sm->pub.next_input_byte = sm->buffer;
  sm->pub.bytes_in_buffer = n;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  auto* sm = reinterpret_cast<SourceManager*>(cinfo->src);
  if (count <= 0) return;
  const size_t n = static_cast<size_t>(count);
  if (n <= sm->pub.bytes_in_buffer) {
    sm->pub.next_input_byte += n;
    sm->pub.bytes_in_buffer -= n;
    return;
  }
  const uint64_t rest = n - sm->pub.bytes_in_buffer;
  sm->pub.bytes_in_buffer = 0;
  if (!sm->src->Skip(rest)) sm->src->Seek(sm->src->Size());
}

// ---- phases: each sets its own jump point and holds nothing with a destructor

Result ReadHeaderPhase(JpegSession& s, ByteSource& src, size_t memoryLimit) {
  s.cinfo.err = jpeg_std_error(&s.err.pub);
  s.err.pub.error_exit = ErrorExit;
  s.err.pub.output_message = OutputMessage;
  s.err.pub.emit_message = EmitMessage;
  if (setjmp(s.err.jump)) return s.err.result;
  s.created = true;
  jpeg_create_decompress(&s.cinfo);
  s.cinfo.mem->max_memory_to_use = static_cast<long>(memoryLimit);
  s.source.src = &src;
  s.source.hitEnd = false;
  s.source.pub.init_source = InitSource;
  s.source.pub.fill_input_buffer = FillInput;
  s.source.pub.skip_input_data = SkipInput;
  s.source.pub.resync_to_restart = jpeg_resync_to_restart;
  s.source.pub.term_source = TermSource;
  s.source.pub.bytes_in_buffer = 0;
  s.source.pub.next_input_byte = nullptr;
  s.cinfo.src = &s.source.pub;
  s.progress.progress_monitor = Progress;
  s.cinfo.progress = &s.progress;
  jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(&s.cinfo, JPEG_APP0 + 2, 0xFFFF);  // ICC_PROFILE pieces
  jpeg_read_header(&s.cinfo, TRUE);
  return kOk;
}

struct FreeProfile {
  void operator()(JOCTET* p) const { std::free(p); }
};
using ProfileBytes = std::unique_ptr<JOCTET, FreeProfile>;

// The profile from the APP2 "ICC_PROFILE" markers, joined in their sequence
// order by libjpeg; pieces missing or out of sequence give none.
Result ProfilePhase(JpegSession& s, JOCTET** profile, unsigned* size) {
  if (setjmp(s.err.jump)) return s.err.result;
  if (!jpeg_read_icc_profile(&s.cinfo, profile, size)) *profile = nullptr, *size = 0;
  return kOk;
}

Result SetupPhase(JpegSession& s, J_COLOR_SPACE space, int scale) {
  if (setjmp(s.err.jump)) return s.err.result;
  s.cinfo.out_color_space = space;
  s.cinfo.scale_num = 1;
  s.cinfo.scale_denom = static_cast<unsigned>(scale);
  jpeg_calc_output_dimensions(&s.cinfo);
  return kOk;
}

// Adobe CMYK files hold inverted inks: the stored value is 255 - ink.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// cmykColours: the profile of a CMYK picture, null to use the plain formula.
Result RowsPhase(JpegSession& s, PixelSink& sink, uint8_t* cmykRow,
                 const ColourTransform* cmykColours) {
  if (setjmp(s.err.jump)) return s.err.result;
  jpeg_start_decompress(&s.cinfo);
  const bool inverted = s.cinfo.saw_Adobe_marker != 0;
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    const int y = static_cast<int>(s.cinfo.output_scanline);
    JSAMPROW row = cmykRow != nullptr ? cmykRow : sink.Row(y);
    if (jpeg_read_scanlines(&s.cinfo, &row, 1) != 1) return kDamaged;
    if (cmykColours != nullptr) {
      cmykColours->Convert(cmykRow, sink.Row(y), static_cast<int>(s.cinfo.output_width));
    } else if (cmykRow != nullptr) {
      CmykToBgr(cmykRow, sink.Row(y), s.cinfo.output_width, inverted);
    }
    sink.RowDone(y);
    if (s.source.hitEnd) return kDamaged;
  }
  jpeg_finish_decompress(&s.cinfo);
  return s.source.hitEnd ? kDamaged : kOk;
}

int Orientation(const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
        std::memcmp(m->data, "Exif\0\0", 6) == 0) {
      return ExifOrientation(m->data, m->data_length);
    }
  }
  return 1;
}

bool IsCmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

}  // namespace

Result DecodeJpeg(ByteSource& src, PixelSink& sink, const DecodeOptions& options) {
  auto session = std::make_unique<JpegSession>();
  JpegSession& s = *session;
  Result r = ReadHeaderPhase(s, src, options.maxWorkBytes);
  if (r != kOk) return r;

  JOCTET* rawProfile = nullptr;
  unsigned profileSize = 0;
  r = ProfilePhase(s, &rawProfile, &profileSize);
  const ProfileBytes profile(rawProfile);
  if (r != kOk) return r;

  ImageLayout layout;
  layout.orientation = Orientation(s.cinfo);
  J_COLOR_SPACE space = JCS_EXT_BGR;
  if (s.cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    space = JCS_GRAYSCALE;
    layout.format = PixelFormat::kIndexed;
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<uint8_t>(i);
      layout.palette.push_back(Rgb{v, v, v});
    }
  } else if (IsCmyk(s.cinfo.jpeg_color_space)) {
    space = JCS_CMYK;
  }
  // CMYK turns into B G R here; anything else in the sink.
  ColourTransformPtr cmykColours;
  if (space == JCS_CMYK) {
    cmykColours = ColourTransform::For(
        profile.get(), profileSize,
        s.cinfo.saw_Adobe_marker ? ColourInput::kCmykInverted : ColourInput::kCmyk);
  } else {
    layout.colours = ColourTransform::For(profile.get(), profileSize, ColourInput::kBgr);
  }
  const int scale = options.jpegScale;
  r = SetupPhase(s, space, (scale == 2 || scale == 4 || scale == 8) ? scale : 1);
  if (r != kOk) return r;
  layout.width = static_cast<int>(s.cinfo.output_width);
  layout.height = static_cast<int>(s.cinfo.output_height);
  if (s.cinfo.output_width > 0x7fffffff || s.cinfo.output_height > 0x7fffffff) return kTooLarge;
  r = sink.Begin(layout);
  if (r != kOk) return r;

  std::vector<uint8_t> cmykRow;
  if (space == JCS_CMYK) cmykRow.resize(static_cast<size_t>(layout.width) * 4);
  r = RowsPhase(s, sink, cmykRow.empty() ? nullptr : cmykRow.data(), cmykColours.get());
  if (r != kOk) return r;
  return sink.Finish();
}

Result QueryJpeg(ByteSource& src, ImageInfo* info) {
  auto session = std::make_unique<JpegSession>();
  JpegSession& s = *session;
  const Result r = ReadHeaderPhase(s, src, size_t{64} << 20);
  if (r != kOk) return r;
  const int orientation = Orientation(s.cinfo);
  const bool turned = orientation >= 5;
  info->type = "JPEG";
  info->width = static_cast<int>(turned ? s.cinfo.image_height : s.cinfo.image_width);
  info->height = static_cast<int>(turned ? s.cinfo.image_width : s.cinfo.image_height);
  info->depthA = s.cinfo.data_precision > 8 ? 8 : s.cinfo.data_precision;
  info->depthB = s.cinfo.num_components;
  info->count = 1;
  info->detail =
      s.cinfo.progressive_mode ? "Progressive" : (s.cinfo.arith_code ? "Arithmetic" : "Baseline");
  if (s.cinfo.jpeg_color_space == JCS_CMYK) info->detail += " CMYK";
  if (s.cinfo.jpeg_color_space == JCS_YCCK) info->detail += " YCCK";
  if (s.cinfo.jpeg_color_space == JCS_GRAYSCALE) info->detail += " Grey";
  return kOk;
}

}  // namespace rstrim

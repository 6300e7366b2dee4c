// The two message-file formats of the moving text: .SCM (one ticker message
// with its font, colours and speed between markers) and .CMS (the same
// settings on lines 2 to 8, scroller lines from line 9). Plain functions from
// the file's bytes to a settings record; the control applies the record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codecs/msgfile/LineList.h"

namespace msgfile {

// Message files are read whole; anything larger is refused like an unreadable file.
constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;
// A font record holds 31 characters of its name.
constexpr std::size_t kMaxFontName = 31;

struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

// The settings both formats carry, in the order they are applied. An unset
// one leaves the control's value as it is.
struct Settings {
  std::optional<std::int32_t> fontColor;
  std::optional<std::int32_t> fontHeight;
  std::optional<std::string> fontName;
  std::optional<std::int32_t> fontSize;  // points; applied after the height, so it decides
  std::optional<FontStyle> fontStyle;
  std::optional<std::int32_t> background;
  std::optional<std::int32_t> speed;
  // The error of the first value that could not be read; the settings after
  // it stay unset and the file's text or lines are not taken.
  std::string error;
};

struct TickerSettings : Settings {
  std::optional<std::string> message;
};

struct ScrollerSettings : Settings {
  LineList lines;  // line 9 onward
};

// The text between the first start marker and the first end marker, both
// searched from the beginning; empty when the end marker does not follow the
// start marker; nothing when either is missing.
std::optional<std::string_view> TextBetweenMarkers(std::string_view text, std::string_view start,
                                                   std::string_view end);

// "1" in the first four characters sets bold, italic, underline, strike-out.
FontStyle ParseStyle(std::string_view flags);

// Absent fields take their defaults, empty ones stay unset.
TickerSettings ParseTickerText(std::string_view text);
// The text ends at a zero byte; lines end at CR, LF or CR LF. The scroller
// lines keep the text itself, so it is taken, not copied.
ScrollerSettings ParseScrollerText(std::string text);

}  // namespace msgfile

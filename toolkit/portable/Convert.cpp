#include "toolkit/portable/Convert.h"

#include <string>
#include <type_traits>

namespace tk {
namespace {

int DigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A' + 10);
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a' + 10);
  return -1;
}

// Code units widened without sign: narrow text is bytes.
template <typename Char>
char32_t Unit(Char c) {
  return static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(c));
}

template <typename Char>
std::optional<std::int32_t> Convert(std::basic_string_view<Char> text) {
  std::size_t i = 0;
  bool negative = false;
  std::int64_t base = 10;
  if (i < text.size() && Unit(text[i]) == U'$') {
    base = 16;
    ++i;
  } else if (i < text.size() && (Unit(text[i]) == U'-' || Unit(text[i]) == U'+')) {
    negative = Unit(text[i]) == U'-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(Unit(text[i]));
    if (d < 0 || d >= base) return std::nullopt;
    v = v * base + d;
    if (v > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
  }
  if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  if (negative) v = -v;
  if (v > 0x7FFFFFFFLL) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | ((c >> 18) & 0x07));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

template <typename Char>
std::int32_t ConvertOrRaise(std::basic_string_view<Char> text) {
  if (const auto v = Convert(text)) return *v;
  std::string message = "'";
  for (Char c : text) AppendUtf8(message, Unit(c));
  throw EConvertError(message + "' ist kein gültiger Integerwert");
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) { return Convert(text); }
std::optional<std::int32_t> TryStrToInt(std::wstring_view text) { return Convert(text); }
std::int32_t StrToInt(std::string_view text) { return ConvertOrRaise(text); }
std::int32_t StrToInt(std::wstring_view text) { return ConvertOrRaise(text); }

}  // namespace tk

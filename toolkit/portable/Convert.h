// The toolkit's text-to-integer conversion, shared by form resources, resource
// names and message files. No Windows headers, so it is tested natively.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "toolkit/portable/Errors.h"

namespace tk {

// An optional sign and decimal digits ("-12", "+7", "007"), or "$" and
// hexadecimal digits, which cover the whole 32-bit pattern ("$FFFFFFFF" is
// -1). Nothing else reads: no blanks, no "0x", nothing outside 32 bits.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
std::optional<std::int32_t> TryStrToInt(std::wstring_view text);

// The same, raising EConvertError "'%s' ist kein gültiger Integerwert"
// (UTF-8; narrow text is taken as Latin-1 for the message).
std::int32_t StrToInt(std::string_view text);
std::int32_t StrToInt(std::wstring_view text);

}  // namespace tk

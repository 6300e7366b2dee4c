// Conversions between the program's wide strings and 8-bit text: the Windows
// ANSI code page (files, DDE commands, the decoding library's names) and
// UTF-8 (exception messages).
#pragma once
#include <optional>
#include <string>

namespace tk {

// Characters without an ANSI equivalent become the code page's best fit or
// its default character.
std::string ToAnsi(const std::wstring& s);
std::wstring FromAnsi(const std::string& s);
// Only when every character has an exact ANSI equivalent: a name whose "ō"
// turned into "o" could name another file.
std::optional<std::string> ToAnsiExact(const std::wstring& s);

std::string ToUtf8(const std::wstring& s);
std::wstring FromUtf8(const std::string& s);

}  // namespace tk

// Wide and 8-bit text.
//
// Wide text (cell texts, sheet names, file names) is UTF-16 in std::u16string;
// 8-bit text is std::string in a stated code page. Conversions between them
// live here and in lxCodePage.h, and nowhere else in the engine.
#pragma once

#include <string>
#include <string_view>

namespace lx {

// Wide text: UTF-16 code units.
using WideString = std::u16string;
// 8-bit text in a code page stated where it is used.
using AnsiString = std::string;

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Whether text holds a surrogate code unit without its partner. Such text
// is not valid UTF-16: readers of a file refuse it or drop the characters
// around it.
bool HasLoneSurrogate(std::u16string_view text);
// text with every unpaired surrogate replaced by U+FFFD; the length in code
// units stays the same.
std::u16string ReplaceLoneSurrogates(std::u16string_view text);

// Widens text that is known to be ASCII (literals in the engine's own code).
std::u16string AsciiToWide(std::string_view text);

}  // namespace lx

// Fixed-width hexadecimal fields inside the key texts of the formatting
// tables (font keys, XF keys). Private to engine/format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lx::hexkey {

// The number spelled by `width` characters at 0-based offset `at`; characters
// past the end of the key or that are not hexadecimal digits count as 0.
inline uint32_t Read(std::u16string_view key, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    const size_t p = at + i;
    const char16_t c = p < key.size() ? key[p] : u'0';
    uint32_t digit = 0;
    if (c >= u'0' && c <= u'9')
      digit = static_cast<uint32_t>(c - u'0');
    else if (c >= u'A' && c <= u'F')
      digit = static_cast<uint32_t>(c - u'A' + 10);
    else if (c >= u'a' && c <= u'f')
      digit = static_cast<uint32_t>(c - u'a' + 10);
    value = (value << 4) | digit;
  }
  return value;
}

// Appends the low `width` hexadecimal digits of value, upper case.
inline void Append(std::u16string& key, size_t width, uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (size_t i = width; i-- > 0;) key.push_back(kDigits[(value >> (4 * i)) & 15]);
}

// Overwrites `width` characters at offset `at` (the key grows with '0' when
// it is too short).
inline void Write(std::u16string& key, size_t at, size_t width, uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  if (key.size() < at + width) key.resize(at + width, u'0');
  for (size_t i = 0; i < width; ++i) key[at + i] = kDigits[(value >> (4 * (width - 1 - i))) & 15];
}

}  // namespace lx::hexkey

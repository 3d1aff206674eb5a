// Test helpers: expected bytes are written in the tests as hex strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lx::test {

// "09 08 10 00" or "09081000": whitespace is ignored.
inline std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else
      continue;
    if (high < 0) {
      high = v;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  return bytes;
}

inline std::string ToHex(const uint8_t* data, size_t size) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    if (i) text.push_back(' ');
    text.push_back(digits[data[i] >> 4]);
    text.push_back(digits[data[i] & 15]);
  }
  return text;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) { return ToHex(bytes.data(), bytes.size()); }

}  // namespace lx::test

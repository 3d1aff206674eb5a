// Bounds-checked reading of the record fields of the sheet objects
// (conditional formats, validations, autofilter): a field past the end of
// the record reads as 0, a text past it as absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace lx {

inline uint16_t RecordWord(std::span<const uint8_t> data, size_t at) {
  return at <= data.size() && data.size() - at >= 2 ? static_cast<uint16_t>(data[at] | (data[at + 1] << 8)) : 0;
}

inline uint32_t RecordDWord(std::span<const uint8_t> data, size_t at) {
  return at <= data.size() && data.size() - at >= 4
             ? static_cast<uint32_t>(RecordWord(data, at) | (uint32_t{RecordWord(data, at + 2)} << 16))
             : 0;
}

// count characters at `at`, 16-bit when wide, else 8-bit (the first 256
// code points); `at` moves past them. False when they run past the record.
inline bool RecordChars(std::span<const uint8_t> data, size_t& at, size_t count, bool wide, std::u16string& text) {
  const size_t bytes = count * (wide ? 2 : 1);
  if (at > data.size() || data.size() - at < bytes) return false;
  text.clear();
  text.reserve(count);
  for (size_t i = 0; i < count; ++i)
    text.push_back(wide ? static_cast<char16_t>(data[at + 2 * i] | (data[at + 2 * i + 1] << 8)) : data[at + i]);
  at += bytes;
  return true;
}

// A BIFF8 text of count characters: the option byte (bit 0: UTF-16), then
// the characters.
inline bool RecordText(std::span<const uint8_t> data, size_t& at, size_t count, std::u16string& text) {
  if (at >= data.size()) return false;
  const bool wide = (data[at] & 1) != 0;
  ++at;
  return RecordChars(data, at, count, wide, text);
}

}  // namespace lx

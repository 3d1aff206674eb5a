#include "lxHash.h"

namespace lx {

uint32_t XLSHashText(std::u16string_view text) noexcept {
  uint32_t h = 0;
  for (const char16_t c : text) h = h * 33u + c;
  return h + (h >> 5);
}

TDecimalKey::TDecimalKey(int32_t value) noexcept {
  // Work on the magnitude as unsigned so that INT32_MIN needs no special case.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  char16_t digits[10];
  uint8_t count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) text_[length_++] = u'-';
  while (count > 0) text_[length_++] = digits[--count];
}

int32_t TDecimalKey::Parse(std::u16string_view text) noexcept {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == u'-';
  if (negative) ++i;
  if (i == text.size()) return 0;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return 0;
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > int64_t{1} << 31) return 0;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return 0;
  return static_cast<int32_t>(value);
}

const std::string& THashString::Get(std::u16string_view key) const {
  static const std::string kAbsent;
  const std::string* value = Find(key);
  return value != nullptr ? *value : kAbsent;
}

const std::u16string& TWideStringArray::Get(int32_t key) const {
  static const std::u16string kAbsent;
  const std::u16string* value = Find(key);
  return value != nullptr ? *value : kAbsent;
}

}  // namespace lx

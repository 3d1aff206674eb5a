#include "lxVariant.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include "lxText.h"

namespace lx {

struct TVariantArray {
  int dims = 1;
  int32_t low[2] = {0, 0};
  int32_t count[2] = {0, 1};
  std::vector<TVariant> items;
};

// ---------------------------------------------------------------------------
// Dates

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Days from 1 January 1970 to the day-number origin, 30 December 1899.
constexpr int64_t kOriginFrom1970 = -25569;
constexpr int64_t kFirstDay = -693593;  // 1 January 0001
constexpr int64_t kLastDay = 2958465;   // 31 December 9999

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// Splits a date-time into its day number and the milliseconds of the day,
// rounding the time and carrying a full day into the next calendar day.
bool SplitDateTime(double value, int64_t& dayNumber, int64_t& ms) {
  if (!std::isfinite(value) || value <= static_cast<double>(kFirstDay - 1) ||
      value >= static_cast<double>(kLastDay + 1)) {
    return false;
  }
  const double whole = std::trunc(value);
  dayNumber = static_cast<int64_t>(whole);
  ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ++dayNumber;
    ms -= kMsPerDay;
  }
  return dayNumber >= kFirstDay && dayNumber <= kLastDay;
}

void SetOk(bool* ok, bool value) {
  if (ok != nullptr) *ok = value;
}

}  // namespace

double EncodeDate(int year, int month, int day, bool* ok) {
  const bool valid =
      year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
  SetOk(ok, valid);
  if (!valid) return 0;
  return static_cast<double>(DaysFromCivil(year, month, day) - kOriginFrom1970);
}

double EncodeTime(int hour, int minute, int second, int millisecond, bool* ok) {
  const bool valid = hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
                     millisecond >= 0 && millisecond < 1000;
  SetOk(ok, valid);
  if (!valid) return 0;
  const int64_t ms = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond, bool* ok) {
  bool dateOk = false;
  bool timeOk = false;
  const double date = EncodeDate(year, month, day, &dateOk);
  const double time = EncodeTime(hour, minute, second, millisecond, &timeOk);
  SetOk(ok, dateOk && timeOk);
  if (!dateOk || !timeOk) return 0;
  return ComposeDateTime(date, time);
}

double ComposeDateTime(double date, double time) {
  // Before the origin the whole part counts back but the time still counts
  // forward from midnight, so the fraction is subtracted.
  return date >= 0 ? date + time : date - time;
}

bool DecodeDate(double dateTime, int& year, int& month, int& day) {
  year = month = day = 0;
  int64_t dayNumber = 0;
  int64_t ms = 0;
  if (!SplitDateTime(dateTime, dayNumber, ms)) return false;
  CivilFromDays(dayNumber + kOriginFrom1970, year, month, day);
  return true;
}

bool DecodeTime(double dateTime, int& hour, int& minute, int& second, int& millisecond) {
  hour = minute = second = millisecond = 0;
  int64_t dayNumber = 0;
  int64_t ms = 0;
  if (!SplitDateTime(dateTime, dayNumber, ms)) return false;
  millisecond = static_cast<int>(ms % 1000);
  second = static_cast<int>(ms / 1000 % 60);
  minute = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
  return true;
}

bool DecodeDateTime(double dateTime, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond) {
  const bool dateOk = DecodeDate(dateTime, year, month, day);
  const bool timeOk = DecodeTime(dateTime, hour, minute, second, millisecond);
  return dateOk && timeOk;
}

namespace {

// Appends the decimal digits of a small non-negative number, at least width
// of them.
char* PutNumber(char* at, int value, int width = 1) {
  char digits[12];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) *at++ = '0';
  for (const char* p = digits; p != end; ++p) *at++ = *p;
  return at;
}

std::u16string WidenAscii(const char* begin, const char* end) { return std::u16string(begin, end); }

}  // namespace

std::u16string DateTimeToText(double dateTime) {
  int year, month, day, hour, minute, second, ms;
  if (!DecodeDateTime(dateTime, year, month, day, hour, minute, second, ms)) return FloatToText(dateTime);
  const bool hasTime = hour != 0 || minute != 0 || second != 0 || ms != 0;
  const bool isOriginDay = year == 1899 && month == 12 && day == 30;
  char text[48];
  char* at = text;
  if (!isOriginDay || !hasTime) {
    at = PutNumber(at, month);
    *at++ = '/';
    at = PutNumber(at, day);
    *at++ = '/';
    at = PutNumber(at, year);
  }
  if (hasTime) {
    if (at != text) *at++ = ' ';
    at = PutNumber(at, hour % 12 == 0 ? 12 : hour % 12);
    *at++ = ':';
    at = PutNumber(at, minute, 2);
    *at++ = ':';
    at = PutNumber(at, second, 2);
    *at++ = ' ';
    *at++ = hour < 12 ? 'A' : 'P';
    *at++ = 'M';
  }
  return WidenAscii(text, at);
}

// ---------------------------------------------------------------------------
// Number text

namespace {

// Lays out the shortest scientific form that std::to_chars gives
// ("-1.2345e+06") in the general style of FloatToText.
std::u16string LayOutShortest(std::string_view scientific) {
  // At most a sign, "0.", four zeros, 17 digits and a four-digit exponent.
  char out[48];
  char* at = out;
  size_t pos = 0;
  if (!scientific.empty() && scientific[0] == '-') {
    *at++ = '-';
    ++pos;
  }
  char digits[24];
  size_t count = 0;
  for (; pos < scientific.size() && scientific[pos] != 'e'; ++pos) {
    if (scientific[pos] != '.' && count < sizeof digits) digits[count++] = scientific[pos];
  }
  int exponent = 0;
  if (pos < scientific.size()) {
    std::from_chars(scientific.data() + pos + 1 + (scientific[pos + 1] == '+'), scientific.data() + scientific.size(),
                    exponent);
  }
  auto put = [&](const char* from, size_t n) {
    std::memcpy(at, from, n);
    at += n;
  };
  if (exponent >= -5 && exponent < 15) {
    if (exponent < 0) {
      put("0.", 2);
      for (int i = 0; i < -exponent - 1; ++i) *at++ = '0';
      put(digits, count);
    } else if (count <= static_cast<size_t>(exponent) + 1) {
      put(digits, count);
      for (size_t i = count; i < static_cast<size_t>(exponent) + 1; ++i) *at++ = '0';
    } else {
      put(digits, static_cast<size_t>(exponent) + 1);
      *at++ = '.';
      put(digits + exponent + 1, count - static_cast<size_t>(exponent) - 1);
    }
  } else {
    *at++ = digits[0];
    if (count > 1) {
      *at++ = '.';
      put(digits + 1, count - 1);
    }
    *at++ = 'E';
    *at++ = exponent < 0 ? '-' : '+';
    at = PutNumber(at, std::abs(exponent), 2);
  }
  return WidenAscii(out, at);
}

template <class TFloat>
std::u16string ShortestText(TFloat value) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  if (value == 0) return u"0";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific);
  return LayOutShortest(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

std::u16string IntegerText(int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return AsciiToWide(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

std::u16string CurrencyText(int64_t scaled) {
  const bool negative = scaled < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), magnitude / kCurrencyScale);
  std::string text(negative ? "-" : "");
  text.append(buffer, result.ptr);
  uint64_t fraction = magnitude % kCurrencyScale;
  if (fraction != 0) {
    char digits[5];
    std::snprintf(digits, sizeof(digits), "%04u", static_cast<unsigned>(fraction));
    std::string_view view(digits, 4);
    while (view.back() == '0') view.remove_suffix(1);
    text += '.';
    text += view;
  }
  return AsciiToWide(text);
}

template <class TChar>
bool ParseFloat(std::basic_string_view<TChar> text, double& value) {
  value = 0;
  auto isBlank = [](TChar c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  // Check the shape ourselves: std::from_chars would also take "inf", "nan"
  // and hexadecimal forms, and it refuses a leading "+".
  std::string ascii;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  auto isDigit = [](TChar c) { return c >= '0' && c <= '9'; };
  size_t mantissaDigits = 0;
  for (; i < text.size() && isDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
  if (i < text.size() && text[i] == '.') {
    ascii += '.';
    for (++i; i < text.size() && isDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i]);
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ascii += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ascii += static_cast<char>(text[i++]);
    size_t exponentDigits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++exponentDigits) ascii += static_cast<char>(text[i]);
    if (exponentDigits == 0) return false;
  }
  if (i != text.size()) return false;
  double parsed = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size() || !std::isfinite(parsed)) {
    return false;
  }
  value = negative ? -parsed : parsed;
  return true;
}

// Rounds to the nearest integer, ties to even; false beyond the int64 range.
bool RoundToInt64(double value, int64_t& result) {
  result = 0;
  if (!std::isfinite(value)) return false;
  const double rounded = std::nearbyint(value);
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0) return false;
  result = static_cast<int64_t>(rounded);
  return true;
}

bool EqualsIgnoringAsciiCase(std::u16string_view text, std::u16string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c != lowerWord[i]) return false;
  }
  return true;
}

}  // namespace

std::u16string FloatToText(double value) { return ShortestText(value); }

bool TextToFloat(std::u16string_view text, double& value) { return ParseFloat(text, value); }

// ---------------------------------------------------------------------------
// TVariant

void TVariant::TArrayDeleter::operator()(TVariantArray* array) const noexcept {
  std::default_delete<TVariantArray>()(array);
}

TVariant::TArrayPtr TVariant::NewArray() { return TArrayPtr(std::make_unique<TVariantArray>().release()); }

TVariant::TVariant(TVarType type, TStorage value) : type_(type), value_(std::move(value)) {}

TVariant::TVariant(const TVariant& other)
    : type_(other.type_),
      value_(std::visit(
          [](const auto& value) -> TStorage {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, TArrayPtr>) {
              TArrayPtr copy = NewArray();
              *copy = *value;
              return TStorage(std::move(copy));
            } else {
              return TStorage(std::in_place_type<T>, value);
            }
          },
          other.value_)) {}

// A moved-from variant is Empty. The storage moves once and the source is
// then reset in place: exchanging with a fresh storage cost three moves.
TVariant::TVariant(TVariant&& other) noexcept
    : type_(std::exchange(other.type_, varEmpty)), value_(std::move(other.value_)) {
  other.value_.emplace<std::monostate>();
}

TVariant& TVariant::operator=(const TVariant& other) {
  if (this != &other) *this = TVariant(other);
  return *this;
}

TVariant& TVariant::operator=(TVariant&& other) noexcept {
  if (this == &other) return *this;
  type_ = std::exchange(other.type_, varEmpty);
  value_ = std::move(other.value_);
  other.value_.emplace<std::monostate>();
  return *this;
}

TVariant::~TVariant() = default;

TVariant TVariant::FromUnsigned64(uint64_t value) {
  if (value > static_cast<uint64_t>(INT64_MAX)) return TVariant(varDouble, static_cast<double>(value));
  return TVariant(varInt64, static_cast<int64_t>(value));
}

TVariant TVariant::Null() { return TVariant(varNull, TStorage()); }
TVariant TVariant::FromDate(double dateTime) { return TVariant(varDate, dateTime); }
TVariant TVariant::FromCurrency(int64_t scaled) { return TVariant(varCurrency, scaled); }
TVariant TVariant::FromError(int32_t code) { return TVariant(varError, int64_t{code}); }
TVariant TVariant::FromInterface(XLSPtr<IXLSUnknown> object) {
  return TVariant(varUnknown, TStorage(std::in_place_type<XLSPtr<IXLSUnknown>>, std::move(object)));
}

namespace {
int32_t ClampCount(int32_t lowBound, int32_t count) {
  if (count < 0) return 0;
  const int64_t room = int64_t{INT32_MAX} - lowBound + 1;
  return count > room ? static_cast<int32_t>(room) : count;
}
}  // namespace

TVariant TVariant::CreateArray(int32_t lowBound, int32_t count) {
  TArrayPtr array = NewArray();
  array->dims = 1;
  array->low[0] = lowBound;
  array->count[0] = ClampCount(lowBound, count);
  array->items.resize(static_cast<size_t>(array->count[0]));
  return TVariant(varArray, TStorage(std::move(array)));
}

TVariant TVariant::CreateArray(int32_t lowBound1, int32_t count1, int32_t lowBound2, int32_t count2) {
  TArrayPtr array = NewArray();
  array->dims = 2;
  array->low[0] = lowBound1;
  array->low[1] = lowBound2;
  array->count[0] = ClampCount(lowBound1, count1);
  array->count[1] = ClampCount(lowBound2, count2);
  array->items.resize(static_cast<size_t>(array->count[0]) * static_cast<size_t>(array->count[1]));
  return TVariant(varArray, TStorage(std::move(array)));
}

TVarType TVariant::VarType() const noexcept { return type_ == varArray ? varArray | varVariant : type_; }

bool TVariant::IsInteger() const noexcept {
  switch (type_) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

bool TVariant::IsNumeric() const noexcept {
  return IsInteger() || type_ == varSingle || type_ == varDouble || type_ == varCurrency;
}

void TVariant::Clear() noexcept {
  type_ = varEmpty;
  value_ = TStorage();
}

const std::u16string& TVariant::WideValue() const noexcept {
  static const std::u16string kNone;
  const auto* text = std::get_if<std::u16string>(&value_);
  return text != nullptr ? *text : kNone;
}

const std::string& TVariant::AnsiValue() const noexcept {
  static const std::string kNone;
  const auto* text = std::get_if<std::string>(&value_);
  return text != nullptr ? *text : kNone;
}

int64_t TVariant::CurrencyValue() const noexcept { return type_ == varCurrency ? std::get<int64_t>(value_) : 0; }

int32_t TVariant::ErrorValue() const noexcept {
  return type_ == varError ? static_cast<int32_t>(std::get<int64_t>(value_)) : 0;
}

XLSPtr<IXLSUnknown> TVariant::InterfaceValue() const {
  const auto* object = std::get_if<XLSPtr<IXLSUnknown>>(&value_);
  return object != nullptr ? *object : XLSPtr<IXLSUnknown>();
}

double TVariant::ToDouble(bool* ok) const {
  SetOk(ok, true);
  switch (type_) {
    case varEmpty:
      return 0;
    case varBoolean:
      return std::get<bool>(value_) ? 1 : 0;
    case varSingle:
    case varDouble:
    case varDate:
      return std::get<double>(value_);
    case varCurrency:
      return static_cast<double>(std::get<int64_t>(value_)) / static_cast<double>(kCurrencyScale);
    case varOleStr:
    case varString: {
      double value = 0;
      const bool parsed = type_ == varOleStr ? ParseFloat(std::u16string_view(std::get<std::u16string>(value_)), value)
                                             : ParseFloat(std::string_view(std::get<std::string>(value_)), value);
      SetOk(ok, parsed);
      return value;
    }
    default:
      if (IsInteger()) return static_cast<double>(std::get<int64_t>(value_));
      SetOk(ok, false);
      return 0;
  }
}

int64_t TVariant::ToInt64(bool* ok) const {
  SetOk(ok, true);
  if (IsInteger()) return std::get<int64_t>(value_);
  switch (type_) {
    case varEmpty:
      return 0;
    case varBoolean:
      return std::get<bool>(value_) ? 1 : 0;
    case varCurrency: {
      const int64_t scaled = std::get<int64_t>(value_);
      int64_t whole = scaled / kCurrencyScale;
      const int64_t rest = scaled % kCurrencyScale;
      const int64_t half = kCurrencyScale / 2;
      if (rest > half || (rest == half && whole % 2 != 0)) ++whole;
      if (rest < -half || (rest == -half && whole % 2 != 0)) --whole;
      return whole;
    }
    default: {
      bool converted = false;
      const double value = ToDouble(&converted);
      int64_t result = 0;
      SetOk(ok, converted && RoundToInt64(value, result));
      return result;
    }
  }
}

int32_t TVariant::ToInt32(bool* ok) const {
  bool converted = false;
  const int64_t value = ToInt64(&converted);
  const bool fits = converted && value >= INT32_MIN && value <= INT32_MAX;
  SetOk(ok, fits);
  return fits ? static_cast<int32_t>(value) : 0;
}

bool TVariant::ToBool(bool* ok) const {
  SetOk(ok, true);
  switch (type_) {
    case varBoolean:
      return std::get<bool>(value_);
    case varOleStr:
    case varString: {
      std::u16string text =
          type_ == varOleStr ? std::get<std::u16string>(value_) : AsciiToWide(std::get<std::string>(value_));
      std::u16string_view view(text);
      while (!view.empty() && (view.front() == u' ' || view.front() == u'\t')) view.remove_prefix(1);
      while (!view.empty() && (view.back() == u' ' || view.back() == u'\t')) view.remove_suffix(1);
      if (EqualsIgnoringAsciiCase(view, u"true")) return true;
      if (EqualsIgnoringAsciiCase(view, u"false")) return false;
      double value = 0;
      const bool parsed = ParseFloat(view, value);
      SetOk(ok, parsed);
      return parsed && value != 0;
    }
    case varCurrency:
      return std::get<int64_t>(value_) != 0;
    default: {
      if (IsInteger()) return std::get<int64_t>(value_) != 0;
      bool converted = false;
      const double value = ToDouble(&converted);
      SetOk(ok, converted);
      return converted && value != 0;
    }
  }
}

std::u16string TVariant::ToWide(bool* ok) const {
  SetOk(ok, true);
  switch (type_) {
    case varEmpty:
    case varNull:
      return {};
    case varBoolean:
      return std::get<bool>(value_) ? u"True" : u"False";
    case varSingle:
      return ShortestText(static_cast<float>(std::get<double>(value_)));
    case varDouble:
      return ShortestText(std::get<double>(value_));
    case varDate:
      return DateTimeToText(std::get<double>(value_));
    case varCurrency:
      return CurrencyText(std::get<int64_t>(value_));
    case varOleStr:
      return std::get<std::u16string>(value_);
    case varString:
      return AnsiToWide(std::get<std::string>(value_), kSystemCodePage);
    default:
      if (IsInteger()) return IntegerText(std::get<int64_t>(value_));
      SetOk(ok, false);
      return {};
  }
}

std::string TVariant::ToAnsi(uint32_t codePage, bool* ok) const {
  if (type_ == varString && ResolveCodePage(codePage) == kSystemCodePage) {
    SetOk(ok, true);
    return std::get<std::string>(value_);
  }
  return WideToAnsi(ToWide(ok), codePage);
}

int TVariant::ArrayDims() const noexcept {
  const auto* array = std::get_if<TArrayPtr>(&value_);
  return array != nullptr ? (*array)->dims : 0;
}

int32_t TVariant::ArrayLowBound(int dim) const noexcept {
  if (dim < 1 || dim > ArrayDims()) return 0;
  return std::get<TArrayPtr>(value_)->low[dim - 1];
}

int32_t TVariant::ArrayHighBound(int dim) const noexcept {
  if (dim < 1 || dim > ArrayDims()) return -1;
  const TVariantArray& array = *std::get<TArrayPtr>(value_);
  // ClampCount keeps low + count - 1 within 32 bits.
  return static_cast<int32_t>(int64_t{array.low[dim - 1]} + array.count[dim - 1] - 1);
}

int64_t TVariant::ArrayElementCount() const noexcept {
  const auto* array = std::get_if<TArrayPtr>(&value_);
  return array != nullptr ? static_cast<int64_t>((*array)->items.size()) : 0;
}

const TVariant* TVariant::ItemPtr(int32_t i, int32_t j, int dims) const noexcept {
  const auto* slot = std::get_if<TArrayPtr>(&value_);
  if (slot == nullptr || (*slot)->dims != dims) return nullptr;
  const TVariantArray& array = **slot;
  const int64_t row = int64_t{i} - array.low[0];
  if (row < 0 || row >= array.count[0]) return nullptr;
  if (dims == 1) return &array.items[static_cast<size_t>(row)];
  const int64_t column = int64_t{j} - array.low[1];
  if (column < 0 || column >= array.count[1]) return nullptr;
  return &array.items[static_cast<size_t>(row * array.count[1] + column)];
}

namespace {
const TVariant& EmptyVariant() {
  static const TVariant kEmpty;
  return kEmpty;
}
}  // namespace

const TVariant& TVariant::ArrayItem(int32_t i) const noexcept {
  const TVariant* item = ItemPtr(i, 0, 1);
  return item != nullptr ? *item : EmptyVariant();
}

const TVariant& TVariant::ArrayItem(int32_t i, int32_t j) const noexcept {
  const TVariant* item = ItemPtr(i, j, 2);
  return item != nullptr ? *item : EmptyVariant();
}

bool TVariant::SetArrayItem(int32_t i, TVariant value) {
  TVariant* item = const_cast<TVariant*>(ItemPtr(i, 0, 1));
  if (item == nullptr) return false;
  *item = std::move(value);
  return true;
}

bool TVariant::SetArrayItem(int32_t i, int32_t j, TVariant value) {
  TVariant* item = const_cast<TVariant*>(ItemPtr(i, j, 2));
  if (item == nullptr) return false;
  *item = std::move(value);
  return true;
}

// ---------------------------------------------------------------------------
// Comparison

namespace {

using TResult = TVarCompareResult;

template <class T>
TResult Order(const T& a, const T& b) {
  if (a < b) return TResult::vrLessThan;
  if (b < a) return TResult::vrGreaterThan;
  return TResult::vrEqual;
}

TResult OrderDoubles(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return TResult::vrNotEqual;
  return Order(a, b);
}

// Integers and booleans compare exactly as 64-bit integers.
bool IsExactInteger(const TVariant& v) { return v.IsInteger() || v.VarType() == varBoolean; }

TResult CompareNumbers(const TVariant& a, const TVariant& b) {
  if (IsExactInteger(a) && IsExactInteger(b)) return Order(a.ToInt64(), b.ToInt64());
  const bool aCurrency = a.VarType() == varCurrency;
  const bool bCurrency = b.VarType() == varCurrency;
  if ((aCurrency || IsExactInteger(a)) && (bCurrency || IsExactInteger(b))) {
    // Compare on the currency scale; an integer too large to scale lies
    // beyond every currency value.
    int64_t scaled[2];
    const TVariant* sides[2] = {&a, &b};
    for (int k = 0; k < 2; ++k) {
      const TVariant& v = *sides[k];
      if (v.VarType() == varCurrency) {
        scaled[k] = v.CurrencyValue();
      } else if (__builtin_mul_overflow(v.ToInt64(), kCurrencyScale, &scaled[k])) {
        const bool positive = v.ToInt64() > 0;
        return (k == 0) == positive ? TResult::vrGreaterThan : TResult::vrLessThan;
      }
    }
    return Order(scaled[0], scaled[1]);
  }
  return OrderDoubles(a.ToDouble(), b.ToDouble());
}

TResult CompareArrays(const TVariant& a, const TVariant& b) {
  if (a.ArrayDims() != b.ArrayDims()) return TResult::vrNotEqual;
  for (int dim = 1; dim <= a.ArrayDims(); ++dim) {
    if (a.ArrayLowBound(dim) != b.ArrayLowBound(dim) || a.ArrayHighBound(dim) != b.ArrayHighBound(dim)) {
      return TResult::vrNotEqual;
    }
  }
  if (a.ArrayElementCount() == 0) return TResult::vrEqual;
  const int32_t high1 = a.ArrayHighBound(1);
  for (int32_t i = a.ArrayLowBound(1); i <= high1; ++i) {
    if (a.ArrayDims() == 1) {
      if (VarNotEqual(a.ArrayItem(i), b.ArrayItem(i))) return TResult::vrNotEqual;
      continue;
    }
    const int32_t high2 = a.ArrayHighBound(2);
    for (int32_t j = a.ArrayLowBound(2); j <= high2; ++j) {
      if (VarNotEqual(a.ArrayItem(i, j), b.ArrayItem(i, j))) return TResult::vrNotEqual;
    }
  }
  return TResult::vrEqual;
}

bool IsNumberLike(TVarType type) {
  switch (type) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

bool IsText(TVarType type) { return type == varOleStr || type == varString; }

// What an empty variant stands for next to a value of the given type.
TVariant EmptyAs(TVarType other) {
  if (IsText(other)) return TVariant(std::u16string());
  if (other == varBoolean) return TVariant(false);
  return TVariant(int32_t{0});
}

}  // namespace

TVarCompareResult VarCompareValue(const TVariant& a, const TVariant& b) {
  const TVarType ta = a.VarType();
  const TVarType tb = b.VarType();
  if (ta == varNull || tb == varNull) return ta == tb ? TResult::vrEqual : TResult::vrNotEqual;
  if (ta == varEmpty && tb == varEmpty) return TResult::vrEqual;
  if (a.IsArray() || b.IsArray()) return a.IsArray() && b.IsArray() ? CompareArrays(a, b) : TResult::vrNotEqual;
  if (ta == varError || tb == varError) {
    return ta == tb && a.ErrorValue() == b.ErrorValue() ? TResult::vrEqual : TResult::vrNotEqual;
  }
  if (ta == varUnknown || tb == varUnknown) {
    return ta == tb && a.InterfaceValue() == b.InterfaceValue() ? TResult::vrEqual : TResult::vrNotEqual;
  }
  if (ta == varEmpty) return VarCompareValue(EmptyAs(tb), b);
  if (tb == varEmpty) return VarCompareValue(a, EmptyAs(ta));

  if (IsText(ta) && IsText(tb)) {
    if (ta == varOleStr && tb == varOleStr) return Order(a.WideValue(), b.WideValue());
    return Order(a.ToWide(), b.ToWide());
  }
  if (IsText(ta) || IsText(tb)) {
    if (!IsNumberLike(IsText(ta) ? tb : ta)) return TResult::vrNotEqual;
    return Order(a.ToWide(), b.ToWide());
  }
  if (IsNumberLike(ta) && IsNumberLike(tb)) return CompareNumbers(a, b);
  return TResult::vrNotEqual;
}

}  // namespace lx

namespace lx {

double NowDateTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec < 60 ? local.tm_sec : 59, static_cast<int>(millis));
}

}  // namespace lx

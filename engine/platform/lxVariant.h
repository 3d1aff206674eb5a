// The variant: the engine's universal value.
//
// Cell values, range arguments, formula results and event values travel as
// TVariant. A variant carries one of the automation type codes below, plus
// varString for 8-bit text (code page 1252) and varArray for arrays of one or
// two dimensions whose elements are variants again. The model turns variants
// into cell kinds, the calculator computes with them, the value formatter and
// the exporters print them, and the group storage compares them.
//
// Storage by type:
//   integers (varShortInt .. varInt64)  the value, range of the type kept
//   varSingle, varDouble, varDate       double (a single holds a float's value)
//   varCurrency                         64-bit integer, the amount x 10,000
//   varBoolean                          bool
//   varOleStr / varString               std::u16string / std::string (1252)
//   varError                            32-bit error code
//   varUnknown                          reference-counted interface pointer
//   varArray                            dimensions, bounds and the elements,
//                                       row-major: for two dimensions element
//                                       (i, j) follows (i, j - 1)
//
// Conversions (ToDouble, ToInt32, ToInt64, ToBool, ToWide) report failure
// through an optional bool* ok and then give 0, false or empty text.
// Conversions of the empty variant succeed (0, false, empty text); of null
// they fail, except ToWide, which gives the empty text. A boolean counts as 1
// or 0 in numeric conversions, the spreadsheet's sense rather than the
// automation value -1.
//
// Dates are doubles counting days from 30 December 1899 with the time of day
// as the fraction. Before that day the whole part counts back while the
// fraction still counts forward from midnight: -1.25 is 29 December 1899,
// 06:00. The helpers below convert between that form and calendar fields.
#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "lxCodePage.h"
#include "lxObject.h"

namespace lx {

using TVarType = uint16_t;

inline constexpr TVarType varEmpty = 0;
inline constexpr TVarType varNull = 1;
inline constexpr TVarType varSmallint = 2;
inline constexpr TVarType varInteger = 3;
inline constexpr TVarType varSingle = 4;
inline constexpr TVarType varDouble = 5;
inline constexpr TVarType varCurrency = 6;
inline constexpr TVarType varDate = 7;
inline constexpr TVarType varOleStr = 8;
inline constexpr TVarType varError = 10;
inline constexpr TVarType varBoolean = 11;
inline constexpr TVarType varVariant = 12;
inline constexpr TVarType varUnknown = 13;
inline constexpr TVarType varShortInt = 16;
inline constexpr TVarType varByte = 17;
inline constexpr TVarType varWord = 18;
inline constexpr TVarType varLongWord = 19;
inline constexpr TVarType varInt64 = 20;
inline constexpr TVarType varString = 256;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varTypeMask = 0x0FFF;

// The currency scale: a currency value is stored as amount x 10,000.
inline constexpr int64_t kCurrencyScale = 10000;

// Date helpers. Valid years are 1..9999.
inline constexpr double kMinDateTime = -693593.0;  // 1 January 0001
inline constexpr double kMaxDateTime = 2958466.0;  // just past 31 December 9999

// Day number of a calendar date; 0 and ok = false for an invalid date.
double EncodeDate(int year, int month, int day, bool* ok = nullptr);
// Fraction of a day; 0 and ok = false unless hour 0..23, minute and second
// 0..59, millisecond 0..999.
double EncodeTime(int hour, int minute, int second, int millisecond, bool* ok = nullptr);
// Date and time together, the fraction counting forward even before 1899-12-30.
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond,
                      bool* ok = nullptr);
// Joins a day number (whole) and a time of day (fraction in [0, 1)).
double ComposeDateTime(double date, double time);
// The local date and time now.
double NowDateTime();

// The calendar fields of a date-time. The time is rounded to the nearest
// millisecond first; a time that rounds up to midnight moves to the next day,
// so DecodeDate and DecodeTime agree. Both return false (and leave the
// fields 0) for values outside the valid years or not finite.
bool DecodeDate(double dateTime, int& year, int& month, int& day);
bool DecodeTime(double dateTime, int& hour, int& minute, int& second, int& millisecond);
bool DecodeDateTime(double dateTime, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond);

// The text of a date-time in the system's short date and long time formats
// (a United States desktop: "M/D/YYYY h:mm:ss AM"). The time is left out at
// midnight and the date when the day number is 0 and a time is present.
// Values outside the valid years give the text of the number.
std::u16string DateTimeToText(double dateTime);

// The text of a number: the shortest digits that read back as the same
// double, as fixed notation when the decimal exponent is -5..14 ("0.1",
// "1234.5", "0.00001") and otherwise as mantissa and signed two-digit or
// longer exponent ("1E+20", "1.5E-07"). Not-a-number is "NaN", infinities
// "INF" and "-INF"; negative zero is "0".
std::u16string FloatToText(double value);

// Parses a number in the C locale: optional surrounding spaces and tabs, an
// optional sign, digits with an optional point, an optional exponent.
// Anything else, and results that are not finite, fail.
bool TextToFloat(std::u16string_view text, double& value);

struct TVariantArray;

// The integer types a variant takes as numbers (character types are not).
template <class T>
concept IsVariantInteger =
    std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, wchar_t> &&
    !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t>;

class TVariant {
 public:
  TVariant() noexcept = default;
  TVariant(const TVariant& other);
  TVariant(TVariant&& other) noexcept;
  TVariant& operator=(const TVariant& other);
  TVariant& operator=(TVariant&& other) noexcept;
  ~TVariant();

  TVariant(bool value) : type_(varBoolean), value_(std::in_place_type<bool>, value) {}
  // Every integer type gets the type code of its size and sign; an unsigned
  // 64-bit value too large for varInt64 becomes a double.
  template <class T>
  requires(IsVariantInteger<T> && !(sizeof(T) == 8 && std::is_unsigned_v<T>)) TVariant(T value)
      : type_(IntegerType(sizeof(T), std::is_signed_v<T>)),
        value_(std::in_place_type<int64_t>, static_cast<int64_t>(value)) {}
  template <class T>
  requires(IsVariantInteger<T> && sizeof(T) == 8 && std::is_unsigned_v<T>) TVariant(T value)
      : TVariant(FromUnsigned64(value)) {}
  TVariant(float value) : type_(varSingle), value_(std::in_place_type<double>, value) {}
  TVariant(double value) : type_(varDouble), value_(std::in_place_type<double>, value) {}
  TVariant(std::u16string value) : type_(varOleStr), value_(std::move(value)) {}
  TVariant(std::u16string_view value) : type_(varOleStr), value_(std::u16string(value)) {}
  TVariant(const char16_t* value) : type_(varOleStr), value_(std::u16string(value)) {}
  // 8-bit text in the system code page.
  TVariant(std::string value) : type_(varString), value_(std::move(value)) {}
  TVariant(std::string_view value) : type_(varString), value_(std::string(value)) {}
  TVariant(const char* value) : type_(varString), value_(std::string(value)) {}

  static TVariant Null();
  static TVariant FromDate(double dateTime);
  // The amount already multiplied by 10,000.
  static TVariant FromCurrency(int64_t scaled);
  static TVariant FromError(int32_t code);
  static TVariant FromInterface(XLSPtr<IXLSUnknown> object);
  // Arrays with every element empty. A negative count counts as 0; counts
  // are cut so that the high bound stays a 32-bit integer.
  static TVariant CreateArray(int32_t lowBound, int32_t count);
  // Two dimensions: the first is usually the row, the second the column.
  static TVariant CreateArray(int32_t lowBound1, int32_t count1, int32_t lowBound2, int32_t count2);

  // The type code; arrays give varArray | varVariant.
  TVarType VarType() const noexcept;
  bool IsEmpty() const noexcept { return type_ == varEmpty; }
  bool IsNull() const noexcept { return type_ == varNull; }
  bool IsArray() const noexcept { return type_ == varArray; }
  bool IsString() const noexcept { return type_ == varOleStr || type_ == varString; }
  // Integer types of every size and sign.
  bool IsInteger() const noexcept;
  // Integers, single, double and currency (dates and booleans are not).
  bool IsNumeric() const noexcept;
  void Clear() noexcept;

  // The stored text of a varOleStr or varString variant; empty text for any
  // other type. For reading without a copy on hot paths.
  const std::u16string& WideValue() const noexcept;
  const std::string& AnsiValue() const noexcept;
  // The stored currency (x 10,000), error code and interface; 0 or nullptr
  // for other types.
  int64_t CurrencyValue() const noexcept;
  int32_t ErrorValue() const noexcept;
  XLSPtr<IXLSUnknown> InterfaceValue() const;

  // Numbers of every kind, dates (the day number), booleans (1, 0) and text
  // that parses as a number in the C locale.
  double ToDouble(bool* ok = nullptr) const;
  // As ToDouble, then rounded to the nearest integer, ties to even. Values
  // beyond the 64-bit (32-bit) range fail.
  int64_t ToInt64(bool* ok = nullptr) const;
  int32_t ToInt32(bool* ok = nullptr) const;
  // Numbers are true unless 0; text is "True" or "False" in any letter case
  // or a number.
  bool ToBool(bool* ok = nullptr) const;
  // Numbers as FloatToText (integers and currency exactly), dates as
  // DateTimeToText, booleans as "True" and "False", 8-bit text converted from
  // code page 1252. Null and empty give the empty text; errors, arrays and
  // interfaces give the empty text and fail.
  std::u16string ToWide(bool* ok = nullptr) const;
  // ToWide in 8-bit text; 8-bit text in the system code page is handed back
  // unchanged.
  std::string ToAnsi(uint32_t codePage = kSystemCodePage, bool* ok = nullptr) const;

  // Array shape: dimensions (0 for a non-array), bounds per dimension 1 or 2
  // (an invalid dimension gives low 0 and high -1), element count.
  int ArrayDims() const noexcept;
  int32_t ArrayLowBound(int dim) const noexcept;
  int32_t ArrayHighBound(int dim) const noexcept;
  int64_t ArrayElementCount() const noexcept;
  // Elements by their indexes within the bounds. Reading outside the bounds,
  // or with the wrong number of indexes, gives an empty variant; writing
  // there changes nothing and returns false.
  const TVariant& ArrayItem(int32_t i) const noexcept;
  const TVariant& ArrayItem(int32_t i, int32_t j) const noexcept;
  bool SetArrayItem(int32_t i, TVariant value);
  bool SetArrayItem(int32_t i, int32_t j, TVariant value);

 private:
  // The deleter is defined next to TVariantArray, so that code including this
  // header can create and destroy variants without seeing the array type.
  struct TArrayDeleter {
    void operator()(TVariantArray* array) const noexcept;
  };
  using TArrayPtr = std::unique_ptr<TVariantArray, TArrayDeleter>;
  static TArrayPtr NewArray();
  using TStorage =
      std::variant<std::monostate, bool, int64_t, double, std::u16string, std::string, TArrayPtr, XLSPtr<IXLSUnknown>>;

  TVariant(TVarType type, TStorage value);
  static TVariant FromUnsigned64(uint64_t value);
  static constexpr TVarType IntegerType(size_t size, bool isSigned) {
    switch (size) {
      case 1:
        return isSigned ? varShortInt : varByte;
      case 2:
        return isSigned ? varSmallint : varWord;
      case 4:
        return isSigned ? varInteger : varLongWord;
      default:
        return varInt64;
    }
  }
  const TVariant* ItemPtr(int32_t i, int32_t j, int dims) const noexcept;

  TVarType type_ = varEmpty;
  TStorage value_;
};

// The outcome of comparing two variants.
enum class TVarCompareResult { vrLessThan, vrEqual, vrGreaterThan, vrNotEqual };

// Compares two variants:
// - null equals null and nothing else (the result is vrNotEqual); an empty
//   variant equals another empty one and otherwise counts as 0, the empty
//   text or false against the other side;
// - numbers, dates and booleans (1, 0) compare by value, integers exactly;
//   a not-a-number compares vrNotEqual;
// - texts compare code unit by code unit, 8-bit text read in code page 1252;
// - a text against a number, date or boolean compares with that value's text
//   (ToWide);
// - errors and interfaces are equal when the same and vrNotEqual otherwise;
//   arrays are equal when they have the same bounds and equal elements;
//   anything else is vrNotEqual.
TVarCompareResult VarCompareValue(const TVariant& a, const TVariant& b);

// True when the two values differ in the sense of VarCompareValue; what the
// group storage uses to notice a new group value.
inline bool VarNotEqual(const TVariant& a, const TVariant& b) {
  return VarCompareValue(a, b) != TVarCompareResult::vrEqual;
}

}  // namespace lx

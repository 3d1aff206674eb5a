// The font of a range: reads from the top-left format's font, writes as one
// format change per attribute.
#include "lxStyle.h"

namespace lx {

namespace {

constexpr int32_t kFirstUserEntry = 8;
constexpr int32_t kLastUserEntry = 63;
constexpr int32_t kUserColors = 56;

// Stored underline codes of a FONT record.
constexpr int32_t kUnderlineNone = 0;
constexpr int32_t kUnderlineSingle = 1;
constexpr int32_t kUnderlineDouble = 2;
constexpr int32_t kUnderlineSingleAccounting = 0x21;
constexpr int32_t kUnderlineDoubleAccounting = 0x22;

TXLSFontList& Fonts(TXLSRange& range) { return range.Formats().Fonts(); }
int32_t TopLeftFont(TXLSRange& range) { return range.Formats().GetXFFont(range.TopLeftFormat()); }

// Runs one font-list write over the range. `write` is a member of the
// format list taking (index, value, release).
template <class Value, class Write>
void ChangeFont(TXLSRange& range, Write write, const Value& value) {
  TlxFormatList& formats = range.Formats();
  range.ApplyFormatChange([&](int32_t index, bool release) { return (formats.*write)(index, value, release); });
}

}  // namespace

WideString RangeFontName(TXLSRange& range) { return Fonts(range).GetFontName(TopLeftFont(range)); }
double RangeFontSize(TXLSRange& range) { return Fonts(range).GetFontSize(TopLeftFont(range)); }

int32_t RangeFontColorIndex(TXLSRange& range) {
  const int32_t stored = Fonts(range).GetFontColor(TopLeftFont(range));
  if (stored == 0) return xlNone;
  if (stored >= kFirstUserEntry && stored <= kLastUserEntry) return stored - kFirstUserEntry + 1;
  // The automatic colour comes back from the font list as -4105 already; the
  // fixed entries 1..7 and anything a read file left are passed on as stored.
  return stored;
}

uint32_t RangeFontColor(TXLSRange& range) {
  return range.Worksheet()->Workbook()->GetPaletteColor(RangeFontColorIndex(range));
}

bool RangeFontBold(TXLSRange& range) { return Fonts(range).GetFontBold(TopLeftFont(range)); }
bool RangeFontItalic(TXLSRange& range) { return Fonts(range).GetFontItalic(TopLeftFont(range)); }
bool RangeFontStrikethrough(TXLSRange& range) { return Fonts(range).GetFontStrikethrough(TopLeftFont(range)); }
bool RangeFontOutline(TXLSRange& range) { return Fonts(range).GetFontOutline(TopLeftFont(range)); }
bool RangeFontShadow(TXLSRange& range) { return Fonts(range).GetFontShadow(TopLeftFont(range)); }

int32_t RangeFontUnderline(TXLSRange& range) {
  switch (Fonts(range).GetFontUnderline(TopLeftFont(range))) {
    case kUnderlineSingle:
      return xlUnderlineStyleSingle;
    case kUnderlineDouble:
      return xlUnderlineStyleDouble;
    case kUnderlineSingleAccounting:
      return xlUnderlineStyleSingleAccounting;
    case kUnderlineDoubleAccounting:
      return xlUnderlineStyleDoubleAccounting;
    default:
      return xlNone;
  }
}

bool RangeFontSubscript(TXLSRange& range) { return Fonts(range).GetFontSubscript(TopLeftFont(range)); }
bool RangeFontSuperscript(TXLSRange& range) { return Fonts(range).GetFontSuperscript(TopLeftFont(range)); }
uint8_t RangeFontCharset(TXLSRange& range) {
  return static_cast<uint8_t>(Fonts(range).GetFontCharset(TopLeftFont(range)));
}
uint8_t RangeFontFamily(TXLSRange& range) {
  return static_cast<uint8_t>(Fonts(range).GetFontFamily(TopLeftFont(range)));
}

void SetRangeFontSize(TXLSRange& range, float points) {
  // The font list rounds points x 20 to whole twips.
  ChangeFont(range, &TlxFormatList::SetXFFontSize, static_cast<double>(points));
}

void SetRangeFontColorIndex(TXLSRange& range, int32_t value) {
  int32_t stored;
  if (value >= 1 && value <= kUserColors) {
    stored = value + kFirstUserEntry - 1;
  } else if (value == 0 || value == xlAutomatic || value == xlNone) {
    // The font list keeps 0, stores -4105 as the automatic index and -4142
    // as 0.
    stored = value;
  } else {
    return;
  }
  ChangeFont(range, &TlxFormatList::SetXFFontColor, stored);
}

void SetRangeFontColor(TXLSRange& range, uint32_t rgb) {
  SetRangeFontColorIndex(range, range.Worksheet()->Workbook()->NearestColorIndex(rgb));
}

void SetRangeFontBold(TXLSRange& range, bool value) { ChangeFont(range, &TlxFormatList::SetXFFontBold, value); }
void SetRangeFontItalic(TXLSRange& range, bool value) { ChangeFont(range, &TlxFormatList::SetXFFontItalic, value); }
void SetRangeFontStrikethrough(TXLSRange& range, bool value) {
  ChangeFont(range, &TlxFormatList::SetXFFontStrikethrough, value);
}
void SetRangeFontOutline(TXLSRange& range, bool value) {
  ChangeFont(range, &TlxFormatList::SetXFFontOutline, value);
}
void SetRangeFontShadow(TXLSRange& range, bool value) { ChangeFont(range, &TlxFormatList::SetXFFontShadow, value); }

void SetRangeFontUnderline(TXLSRange& range, int32_t value) {
  int32_t stored;
  switch (value) {
    case xlUnderlineStyleSingle:
      stored = kUnderlineSingle;
      break;
    case xlUnderlineStyleDouble:
      stored = kUnderlineDouble;
      break;
    case xlUnderlineStyleSingleAccounting:
      stored = kUnderlineSingleAccounting;
      break;
    case xlUnderlineStyleDoubleAccounting:
      stored = kUnderlineDoubleAccounting;
      break;
    case xlNone:
      stored = kUnderlineNone;
      break;
    default:
      return;
  }
  ChangeFont(range, &TlxFormatList::SetXFFontUnderline, stored);
}

void SetRangeFontSubscript(TXLSRange& range, bool value) {
  ChangeFont(range, &TlxFormatList::SetXFFontSubscript, value);
}
void SetRangeFontSuperscript(TXLSRange& range, bool value) {
  ChangeFont(range, &TlxFormatList::SetXFFontSuperscript, value);
}
void SetRangeFontName(TXLSRange& range, const WideString& name) {
  ChangeFont(range, &TlxFormatList::SetXFFontName, name);
}
void SetRangeFontCharset(TXLSRange& range, uint8_t value) {
  ChangeFont(range, &TlxFormatList::SetXFFontCharset, static_cast<int32_t>(value));
}
void SetRangeFontFamily(TXLSRange& range, uint8_t value) {
  ChangeFont(range, &TlxFormatList::SetXFFontFamily, static_cast<int32_t>(value));
}

// ---------------------------------------------------------------- objects

TXLSStyleObject::TXLSStyleObject(TXLSRange* range) : range_(range), hold_(static_cast<IXLSRange*>(range)) {}

TXLSStyleObject::~TXLSStyleObject() = default;

TXLSFont::TXLSFont(TXLSRange* range) : TXLSStyleObject(range) {}

XLSPtr<IXLSFontSlots> TXLSFont::Create(TXLSRange* range) { return MakeXLS<TXLSFont>(range); }

}  // namespace lx

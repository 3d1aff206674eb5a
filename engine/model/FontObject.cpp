// The font of a range: the range's font methods, which read from the
// top-left format's font and write one format change per attribute, and the
// font object that the range's Font slot hands out.
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

WideString TXLSRange::FontName() { return Fonts(*this).GetFontName(TopLeftFont(*this)); }
double TXLSRange::FontSize() { return Fonts(*this).GetFontSize(TopLeftFont(*this)); }

int32_t TXLSRange::FontColorIndex() {
  const int32_t stored = Fonts(*this).GetFontColor(TopLeftFont(*this));
  if (stored == 0) return xlNone;
  if (stored >= kFirstUserEntry && stored <= kLastUserEntry) return stored - kFirstUserEntry + 1;
  // The automatic colour comes back from the font list as -4105 already; the
  // fixed entries 1..7 and anything a read file left are passed on as stored.
  return stored;
}

uint32_t TXLSRange::FontColor() { return Worksheet()->Workbook()->GetPaletteColor(FontColorIndex()); }

bool TXLSRange::FontBold() { return Fonts(*this).GetFontBold(TopLeftFont(*this)); }
bool TXLSRange::FontItalic() { return Fonts(*this).GetFontItalic(TopLeftFont(*this)); }
bool TXLSRange::FontStrikethrough() { return Fonts(*this).GetFontStrikethrough(TopLeftFont(*this)); }
bool TXLSRange::FontOutline() { return Fonts(*this).GetFontOutline(TopLeftFont(*this)); }
bool TXLSRange::FontShadow() { return Fonts(*this).GetFontShadow(TopLeftFont(*this)); }

int32_t TXLSRange::FontUnderline() {
  switch (Fonts(*this).GetFontUnderline(TopLeftFont(*this))) {
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

bool TXLSRange::FontSubscript() { return Fonts(*this).GetFontSubscript(TopLeftFont(*this)); }
bool TXLSRange::FontSuperscript() { return Fonts(*this).GetFontSuperscript(TopLeftFont(*this)); }
uint8_t TXLSRange::FontCharset() { return static_cast<uint8_t>(Fonts(*this).GetFontCharset(TopLeftFont(*this))); }
uint8_t TXLSRange::FontFamily() { return static_cast<uint8_t>(Fonts(*this).GetFontFamily(TopLeftFont(*this))); }

void TXLSRange::SetFontSize(float points) {
  // The font list rounds points x 20 to whole twips.
  ChangeFont(*this, &TlxFormatList::SetXFFontSize, static_cast<double>(points));
}

void TXLSRange::SetFontColorIndex(int32_t value) {
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
  ChangeFont(*this, &TlxFormatList::SetXFFontColor, stored);
}

void TXLSRange::SetFontColor(uint32_t rgb) { SetFontColorIndex(Worksheet()->Workbook()->NearestColorIndex(rgb)); }

void TXLSRange::SetFontBold(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontBold, value); }
void TXLSRange::SetFontItalic(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontItalic, value); }
void TXLSRange::SetFontStrikethrough(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontStrikethrough, value); }
void TXLSRange::SetFontOutline(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontOutline, value); }
void TXLSRange::SetFontShadow(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontShadow, value); }

void TXLSRange::SetFontUnderline(int32_t value) {
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
  ChangeFont(*this, &TlxFormatList::SetXFFontUnderline, stored);
}

void TXLSRange::SetFontSubscript(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontSubscript, value); }
void TXLSRange::SetFontSuperscript(bool value) { ChangeFont(*this, &TlxFormatList::SetXFFontSuperscript, value); }
void TXLSRange::SetFontName(const WideString& name) {
  ChangeFont(*this, &TlxFormatList::SetXFFontName, ReplaceLoneSurrogates(name));
}
void TXLSRange::SetFontCharset(uint8_t value) {
  ChangeFont(*this, &TlxFormatList::SetXFFontCharset, static_cast<int32_t>(value));
}
void TXLSRange::SetFontFamily(uint8_t value) {
  ChangeFont(*this, &TlxFormatList::SetXFFontFamily, static_cast<int32_t>(value));
}

// ---------------------------------------------------------------- objects

TXLSStyleObject::TXLSStyleObject(TXLSRange* range) : range_(range), hold_(static_cast<IXLSRange*>(range)) {}

TXLSStyleObject::~TXLSStyleObject() = default;

TXLSFont::TXLSFont(TXLSRange* range) : TXLSStyleObject(range) {}

XLSPtr<IXLSFont> TXLSFont::Create(TXLSRange* range) { return MakeXLS<TXLSFont>(range); }

XLSPtr<IXLSFont> TXLSRange::Font() { return TXLSFont::Create(this); }

}  // namespace lx

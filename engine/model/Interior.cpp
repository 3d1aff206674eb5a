// The fill of a range: pattern, fill colour and pattern colour.
#include <array>

#include "lxStyle.h"

namespace lx {

namespace {

constexpr int32_t kFirstUserEntry = 8;
constexpr int32_t kUserColors = 56;
constexpr int32_t kLastPattern = 18;

// Patterns 1..8 by their automation constants; 9..18 are written as they are.
constexpr std::array<int32_t, 9> kPatternConstants{xlNone,       xlSolid,    xlGray50, xlGray75, xlGray25,
                                                   xlHorizontal, xlVertical, xlDown,   xlUp};

// The palette index a colour index is stored as, or -1 when the value is not
// accepted. Automatic stands for the system colour the fill or the pattern
// is drawn with by default.
int32_t StoredColor(int32_t value, int32_t automatic) {
  if (value == 0 || value == xlNone) return 0;
  if (value >= 1 && value <= kUserColors) return value + kFirstUserEntry - 1;
  if (value == xlAutomatic) return automatic;
  return -1;
}

int32_t ColorIndexOfStored(int32_t stored) {
  if (stored == 0) return xlNone;
  if (stored < kFirstUserEntry) return stored;
  if (stored == kXFSystemForeground || stored == kXFSystemBackground) return xlAutomatic;
  return stored - kFirstUserEntry + 1;
}

}  // namespace

TXLSInterior::TXLSInterior(TXLSRange* range) : TXLSStyleObject(range) {}

XLSPtr<IXLSInterior> TXLSInterior::Create(TXLSRange* range) { return MakeXLS<TXLSInterior>(range); }

void TXLSInterior::SetColor(uint32_t rgb) { SetColorIndex(Range().Worksheet()->Workbook()->NearestColorIndex(rgb)); }

uint32_t TXLSInterior::Color() { return Range().Worksheet()->Workbook()->GetPaletteColor(ColorIndex()); }

void TXLSInterior::SetPatternColor(uint32_t rgb) {
  SetPatternColorIndex(Range().Worksheet()->Workbook()->NearestColorIndex(rgb));
}

uint32_t TXLSInterior::PatternColor() { return Range().Worksheet()->Workbook()->GetPaletteColor(PatternColorIndex()); }

void TXLSInterior::SetColorIndex(int32_t value) {
  const int32_t stored = StoredColor(value, kXFSystemBackground);
  if (stored < 0) return;
  TlxFormatList& formats = Range().Formats();
  Range().ApplyFormatChange(
      [&](int32_t index, bool release) { return formats.SetXFFillColorIndex(index, stored, release); });
}

void TXLSInterior::SetPatternColorIndex(int32_t value) {
  const int32_t stored = StoredColor(value, kXFSystemForeground);
  if (stored < 0) return;
  TlxFormatList& formats = Range().Formats();
  Range().ApplyFormatChange(
      [&](int32_t index, bool release) { return formats.SetXFPatternColorIndex(index, stored, release); });
}

void TXLSInterior::SetPattern(int32_t value) {
  int32_t stored = 0;
  if (value == xlAutomatic) {
    stored = 1;
  } else if (value >= 9 && value <= kLastPattern) {
    stored = value;
  } else {
    for (size_t code = 1; code < kPatternConstants.size(); ++code)
      if (kPatternConstants[code] == value) stored = static_cast<int32_t>(code);
  }
  // Anything not in the table, -4142 included, removes the fill.
  TlxFormatList& formats = Range().Formats();
  Range().ApplyFormatChange([&](int32_t index, bool release) { return formats.SetXFPattern(index, stored, release); });
}

int32_t TXLSInterior::ColorIndex() {
  return ColorIndexOfStored(Range().Formats().GetXFFillColorIndex(Range().TopLeftFormat()));
}

int32_t TXLSInterior::PatternColorIndex() {
  return ColorIndexOfStored(Range().Formats().GetXFPatternColorIndex(Range().TopLeftFormat()));
}

int32_t TXLSInterior::Pattern() {
  const int32_t stored = Range().Formats().GetXFPattern(Range().TopLeftFormat());
  if (stored < 0 || stored > kLastPattern) return 0;
  if (stored < static_cast<int32_t>(kPatternConstants.size())) return kPatternConstants[static_cast<size_t>(stored)];
  return stored;
}

XLSPtr<IXLSInterior> TXLSRange::Interior() { return TXLSInterior::Create(this); }

}  // namespace lx

// The cell-format list: XF keys, the inheritance rule, attribute writes and
// reads. Records, save preparation and format transfer are in XFRecords.cpp.
#include "lxFormat.h"

#include "HexKey.h"
#include "lxConstants.h"

namespace lx {

namespace {

// 0-based offsets and widths of the XF key fields.
constexpr size_t kFontAt = 0;
constexpr size_t kNumFormatAt = 4;
constexpr size_t kProtectionAt = 8;
constexpr size_t kParentAt = 9;
constexpr size_t kAlignmentAt = 13;
constexpr size_t kRotationAt = 15;
constexpr size_t kIndentAt = 17;
constexpr size_t kBorder1At = 19;
constexpr size_t kBorder2At = 27;
constexpr size_t kPatternAt = 35;
constexpr size_t kPatternColorsAt = 37;
constexpr size_t kUsedAt = 41;
constexpr size_t kXFKeyLength = 43;

// The default formats of a new list, in index order: the Normal style, 14
// style XFs, the default cell format and the five number-format styles.
constexpr const char16_t* kNormalStyleKey = u"000000001FFFF20000000000000000000000020C000";
constexpr const char16_t* kStyleKey = u"000000001FFFF20000000000000000000000020C0F4";
constexpr const char16_t* kDefaultCellKey = u"000000001000020000000000000000000000020C000";
constexpr const char16_t* kNumberStyleKeys[] = {
    u"0001002C50FFF20000000000000000000000020C03E",  // Currency
    u"0001002A50FFF20000000000000000000000020C03E",  // Currency [0]
    u"0001000950FFF20000000000000000000000020C03E",  // Percent
    u"0001002B50FFF20000000000000000000000020C03E",  // Comma
    u"0001002950FFF20000000000000000000000020C03E",  // Comma [0]
};
constexpr int32_t kStyleXFs = 14;
// After a file is cleared for reading, the reader lays down its own XFs; the
// first 16 are the style XFs and the default cell XF every file begins with.
constexpr int32_t kDefaultFormatsWhenRead = 16;

// BIFF line codes.
constexpr int32_t kLineNone = 0;
constexpr int32_t kLineThin = 1;
constexpr int32_t kLineMedium = 2;
constexpr int32_t kLineDashed = 3;
constexpr int32_t kLineDotted = 4;
constexpr int32_t kLineThick = 5;
constexpr int32_t kLineDouble = 6;
constexpr int32_t kLineHair = 7;
constexpr int32_t kLineMediumDashed = 8;
constexpr int32_t kLineDashDot = 9;
constexpr int32_t kLineMediumDashDot = 10;
constexpr int32_t kLineDashDotDot = 11;
constexpr int32_t kLineMediumDashDotDot = 12;
constexpr int32_t kLineSlantDashDot = 13;

constexpr int32_t kHorizontalLeft = 1;
constexpr int32_t kHorizontalRight = 3;
constexpr uint8_t kWrapBit = 0x08;
constexpr uint8_t kShrinkBit = 0x10;
constexpr int32_t kFirstUserColor = 8;

// Where each side keeps its line code and colour in the two border words.
struct TSide {
  int32_t Edge;
  int StyleShift;  // in word 1
  bool ColorInWord2;
  int ColorShift;
};
constexpr TSide kSides[] = {
    {kXFEdgeLeft, 0, false, 16},
    {kXFEdgeRight, 4, false, 23},
    {kXFEdgeTop, 8, true, 0},
    {kXFEdgeBottom, 12, true, 7},
};
constexpr uint32_t kDiagonalDownBit = 1u << 30;
constexpr uint32_t kDiagonalUpBit = 1u << 31;
constexpr int kDiagonalColorShift = 14;
constexpr int kDiagonalStyleShift = 21;
constexpr uint32_t kColorMask = 0x7F;
constexpr uint32_t kStyleMask = 0xF;

int32_t SideStyle(const TXLSXFFields& f, const TSide& s) {
  return static_cast<int32_t>((f.Border1 >> s.StyleShift) & kStyleMask);
}
void SetSideStyle(TXLSXFFields& f, const TSide& s, int32_t code) {
  f.Border1 =
      (f.Border1 & ~(kStyleMask << s.StyleShift)) | ((static_cast<uint32_t>(code) & kStyleMask) << s.StyleShift);
}
int32_t SideColor(const TXLSXFFields& f, const TSide& s) {
  const uint32_t word = s.ColorInWord2 ? f.Border2 : f.Border1;
  return static_cast<int32_t>((word >> s.ColorShift) & kColorMask);
}
void SetSideColor(TXLSXFFields& f, const TSide& s, int32_t color) {
  uint32_t& word = s.ColorInWord2 ? f.Border2 : f.Border1;
  word = (word & ~(kColorMask << s.ColorShift)) | ((static_cast<uint32_t>(color) & kColorMask) << s.ColorShift);
}
int32_t DiagonalStyle(const TXLSXFFields& f) {
  return static_cast<int32_t>((f.Border2 >> kDiagonalStyleShift) & kStyleMask);
}
void SetDiagonalStyle(TXLSXFFields& f, int32_t code) {
  f.Border2 = (f.Border2 & ~(kStyleMask << kDiagonalStyleShift)) |
              ((static_cast<uint32_t>(code) & kStyleMask) << kDiagonalStyleShift);
}
int32_t DiagonalColor(const TXLSXFFields& f) {
  return static_cast<int32_t>((f.Border2 >> kDiagonalColorShift) & kColorMask);
}
void SetDiagonalColor(TXLSXFFields& f, int32_t color) {
  f.Border2 = (f.Border2 & ~(kColorMask << kDiagonalColorShift)) |
              ((static_cast<uint32_t>(color) & kColorMask) << kDiagonalColorShift);
}
uint32_t DiagonalBits(int32_t edges) {
  return ((edges & kXFEdgeDiagonalDown) ? kDiagonalDownBit : 0) | ((edges & kXFEdgeDiagonalUp) ? kDiagonalUpBit : 0);
}

// The weight a line code is drawn with.
int32_t WeightOfCode(int32_t code) {
  switch (code) {
    case kLineMedium:
    case kLineMediumDashed:
    case kLineMediumDashDot:
    case kLineMediumDashDotDot:
    case kLineSlantDashDot:
      return xlMedium;
    case kLineThick:
    case kLineDouble:
      return xlThick;
    case kLineHair:
      return xlHairline;
    default:
      return xlThin;
  }
}

// The automation line style of a line code.
int32_t LineStyleOfCode(int32_t code) {
  switch (code) {
    case kLineThin:
    case kLineMedium:
    case kLineThick:
    case kLineHair:
      return xlContinuous;
    case kLineDashed:
    case kLineMediumDashed:
      return xlDash;
    case kLineDotted:
      return xlDot;
    case kLineDouble:
      return xlDouble;
    case kLineDashDot:
    case kLineMediumDashDot:
      return xlDashDot;
    case kLineDashDotDot:
    case kLineMediumDashDotDot:
      return xlDashDotDot;
    case kLineSlantDashDot:
      return xlSlantDashDot;
    default:
      return xlNone;
  }
}

// The code for line style `style` on a side whose current code is `current`
// (its weight is kept).
int32_t CodeForLineStyle(int32_t current, int32_t style) {
  const int32_t weight = WeightOfCode(current);
  const bool medium = weight == xlMedium;
  switch (style) {
    case xlContinuous:
      if (weight == xlHairline) return kLineHair;
      if (weight == xlThick) return kLineThick;
      return medium ? kLineMedium : kLineThin;
    case xlDash:
      return medium ? kLineMediumDashed : kLineDashed;
    case xlDot:
      return kLineDotted;
    case xlDouble:
      return kLineDouble;
    case xlDashDot:
      return medium ? kLineMediumDashDot : kLineDashDot;
    case xlDashDotDot:
      return medium ? kLineMediumDashDotDot : kLineDashDotDot;
    case xlSlantDashDot:
      return kLineSlantDashDot;
    default:
      return kLineNone;
  }
}

// The code for weight `weight` on a side whose current code is `current`
// (its line style is kept).
int32_t CodeForWeight(int32_t current, int32_t weight) {
  const int32_t style = LineStyleOfCode(current);
  switch (weight) {
    case xlHairline:
      return kLineHair;
    case xlThin:
      if (style == xlDashDot) return kLineDashDot;
      if (style == xlDashDotDot) return kLineDashDotDot;
      if (style == xlDot) return kLineDotted;
      if (style == xlDash) return kLineDashed;
      return kLineThin;
    case xlThick:
      return style == xlDouble ? kLineDouble : kLineThick;
    case xlMedium:
      if (style == xlDashDot) return kLineMediumDashDot;
      if (style == xlDashDotDot) return kLineMediumDashDotDot;
      if (style == xlSlantDashDot) return kLineSlantDashDot;
      if (style == xlDash) return kLineMediumDashed;
      return kLineMedium;
    default:
      return kLineNone;
  }
}

// The line code and colour of one edge (the lowest bit of the set).
void EdgeCodeAndColor(const TXLSXFFields& f, int32_t edge, int32_t& code, int32_t& color) {
  code = kLineNone;
  color = 0;
  for (const TSide& side : kSides) {
    if (edge & side.Edge) {
      code = SideStyle(f, side);
      color = SideColor(f, side);
      return;
    }
  }
  const uint32_t bits = (edge & kXFEdgeDiagonalDown) ? kDiagonalDownBit
                        : (edge & kXFEdgeDiagonalUp) ? kDiagonalUpBit
                                                     : 0;
  if (bits != 0 && (f.Border1 & bits) != 0) {
    code = DiagonalStyle(f);
    color = DiagonalColor(f);
  }
}

int32_t Foreground(const TXLSXFFields& f) { return f.PatternColors & 0x7F; }
int32_t Background(const TXLSXFFields& f) { return (f.PatternColors >> 7) & 0x7F; }
void SetPatternColors(TXLSXFFields& f, int32_t foreground, int32_t background) {
  f.PatternColors = static_cast<uint16_t>((f.PatternColors & 0xC000) | (static_cast<uint32_t>(foreground) & 0x7F) |
                                          ((static_cast<uint32_t>(background) & 0x7F) << 7));
}
// No fill: pattern 0 with the system colours.
void ClearFill(TXLSXFFields& f) {
  f.Pattern = 0;
  SetPatternColors(f, kXFSystemForeground, kXFSystemBackground);
}

}  // namespace

// ---------------------------------------------------------------------------
// XF keys

WideString TXLSXFFields::Key() const {
  WideString key;
  key.reserve(kXFKeyLength);
  hexkey::Append(key, 4, Font);
  hexkey::Append(key, 4, NumFormat);
  hexkey::Append(key, 1, Protection);
  hexkey::Append(key, 4, Parent);
  hexkey::Append(key, 2, Alignment);
  hexkey::Append(key, 2, Rotation);
  hexkey::Append(key, 2, Indent);
  hexkey::Append(key, 8, Border1);
  hexkey::Append(key, 8, Border2);
  hexkey::Append(key, 2, Pattern);
  hexkey::Append(key, 4, PatternColors);
  hexkey::Append(key, 2, Used);
  return key;
}

TXLSXFFields TXLSXFFields::Parse(const WideString& key) {
  TXLSXFFields f;
  f.Font = static_cast<uint16_t>(hexkey::Read(key, kFontAt, 4));
  f.NumFormat = static_cast<uint16_t>(hexkey::Read(key, kNumFormatAt, 4));
  f.Protection = static_cast<uint8_t>(hexkey::Read(key, kProtectionAt, 1));
  f.Parent = static_cast<uint16_t>(hexkey::Read(key, kParentAt, 4));
  f.Alignment = static_cast<uint8_t>(hexkey::Read(key, kAlignmentAt, 2));
  f.Rotation = static_cast<uint8_t>(hexkey::Read(key, kRotationAt, 2));
  f.Indent = static_cast<uint8_t>(hexkey::Read(key, kIndentAt, 2));
  f.Border1 = hexkey::Read(key, kBorder1At, 8);
  f.Border2 = hexkey::Read(key, kBorder2At, 8);
  f.Pattern = static_cast<uint8_t>(hexkey::Read(key, kPatternAt, 2));
  f.PatternColors = static_cast<uint16_t>(hexkey::Read(key, kPatternColorsAt, 4));
  f.Used = static_cast<uint8_t>(hexkey::Read(key, kUsedAt, 2));
  return f;
}

// ---------------------------------------------------------------------------
// The list

TlxFormatList::TlxFormatList()
    : fonts_(std::make_unique<TXLSFontList>()),
      numFormats_(std::make_unique<TXLSNumFormatList>()),
      styles_(std::make_unique<TXLSStyles>(this)) {
  SetBaseIndex(0);
  SetDefaultCount(kDefaultFormats);
  SetFallbackKey(kNormalStyleKey);
  int32_t index = 0;
  SetKeyAt(index++, kNormalStyleKey);
  for (int32_t i = 0; i < kStyleXFs; ++i) SetKeyAt(index++, kStyleKey);
  SetKeyAt(index++, kDefaultCellKey);
  for (const char16_t* key : kNumberStyleKeys) SetKeyAt(index++, key);
  styles_->AddDefaultStyles();
}

TlxFormatList::~TlxFormatList() = default;

void TlxFormatList::ClearFormats() {
  ClearAll();
  SetDefaultCount(kDefaultFormatsWhenRead);
  styles_->ClearAll();
  // The number-format list starts over as new; it is reset in place so that
  // references the model holds to it stay valid.
  numFormats_->Clear();
  fonts_->ClearAll();
}

TXLSXFFields TlxFormatList::Fields(int32_t index) const {
  return ParsedFields(index == 0 ? kDefaultCellFormat : index);
}

const TXLSXFFields& TlxFormatList::ParsedFields(int32_t index) const {
  if (!Contains(index)) {
    // The fallback key, which may change at any time: parsed every time.
    outside_ = TXLSXFFields::Parse(GetKey(index));
    return outside_;
  }
  const auto position = static_cast<size_t>(index - BaseIndex());
  if (position >= parsed_.size()) {
    parsed_.resize(static_cast<size_t>(Count()));
    known_.resize(static_cast<size_t>(Count()), 0);
  }
  if (!known_[position]) {
    parsed_[position] = TXLSXFFields::Parse(GetKey(index));
    known_[position] = 1;
  }
  return parsed_[position];
}

void TlxFormatList::KeyChanged(int32_t position) {
  if (position < 0) {
    parsed_.clear();
    known_.clear();
  } else if (static_cast<size_t>(position) < known_.size()) {
    known_[static_cast<size_t>(position)] = 0;
  }
}

// A group whose used flag is clear belongs to the parent style, unless the
// parent's flag is set: in a style XF the flags mark what the style does not
// define, so the cell's own value stands.
TXLSXFFields TlxFormatList::Effective(int32_t index, uint8_t group) const {
  TXLSXFFields own = Fields(index);
  if (own.Used & group) return own;
  // A style XF has no parent to inherit from.
  if (own.IsStyle()) return own;
  if (group == kXFUsedNumFormat && own.NumFormat != 0) return own;
  const TXLSXFFields& parent = ParsedFields(own.Parent);
  return (parent.Used & group) ? own : parent;
}

void TXLSXFFields::CopyGroup(const TXLSXFFields& source, uint8_t group) {
  TXLSXFFields& target = *this;
  switch (group) {
    case kXFUsedNumFormat:
      target.NumFormat = source.NumFormat;
      break;
    case kXFUsedFont:
      target.Font = source.Font;
      break;
    case kXFUsedAlignment:
      target.Alignment = source.Alignment;
      target.Rotation = source.Rotation;
      target.Indent = source.Indent;
      break;
    case kXFUsedBorders:
      target.Border1 = source.Border1;
      target.Border2 = source.Border2;
      break;
    case kXFUsedPattern:
      target.Pattern = source.Pattern;
      target.PatternColors = source.PatternColors;
      break;
    case kXFUsedProtection:
      target.Protection = source.Protection;
      break;
    default:
      break;
  }
}

int32_t TlxFormatList::Commit(int32_t index, const TXLSXFFields& source, uint8_t group, bool release) {
  const int32_t current = index == 0 ? kDefaultCellFormat : index;
  TXLSXFFields fields = Fields(current);
  fields.CopyGroup(source, group);
  fields.Used |= group;
  return Rekey(release ? current : 0, fields.Key());
}

// ---------------------------------------------------------------------------
// Font group

template <class Change>
int32_t TlxFormatList::ChangeFont(int32_t index, bool release, Change change) {
  TXLSXFFields group = Effective(index, kXFUsedFont);
  group.Font = static_cast<uint16_t>(change(*fonts_, static_cast<int32_t>(group.Font)));
  return Commit(index, group, kXFUsedFont, release);
}

int32_t TlxFormatList::SetXFFontName(int32_t index, const WideString& value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontName(font, value); });
}
int32_t TlxFormatList::SetXFFontSize(int32_t index, double points, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontSize(font, points); });
}
int32_t TlxFormatList::SetXFFontBold(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontBold(font, value); });
}
int32_t TlxFormatList::SetXFFontItalic(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontItalic(font, value); });
}
int32_t TlxFormatList::SetXFFontUnderline(int32_t index, int32_t value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontUnderline(font, value); });
}
int32_t TlxFormatList::SetXFFontStrikethrough(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontStrikethrough(font, value); });
}
int32_t TlxFormatList::SetXFFontSuperscript(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontSuperscript(font, value); });
}
int32_t TlxFormatList::SetXFFontSubscript(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontSubscript(font, value); });
}
int32_t TlxFormatList::SetXFFontOutline(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontOutline(font, value); });
}
int32_t TlxFormatList::SetXFFontShadow(int32_t index, bool value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontShadow(font, value); });
}
int32_t TlxFormatList::SetXFFontColor(int32_t index, int32_t value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontColor(font, value); });
}
int32_t TlxFormatList::SetXFFontFamily(int32_t index, int32_t value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontFamily(font, value); });
}
int32_t TlxFormatList::SetXFFontCharset(int32_t index, int32_t value, bool release) {
  return ChangeFont(index, release, [&](TXLSFontList& f, int32_t font) { return f.SetFontCharset(font, value); });
}

int32_t TlxFormatList::GetXFFont(int32_t index) const { return Effective(index, kXFUsedFont).Font; }

// ---------------------------------------------------------------------------
// Number format and protection

int32_t TlxFormatList::SetXFNumberFormat(int32_t index, const WideString& format, bool release) {
  TXLSXFFields group;
  group.NumFormat = static_cast<uint16_t>(numFormats_->AddOrFind(format));
  return Commit(index, group, kXFUsedNumFormat, release);
}

int32_t TlxFormatList::GetXFNumberFormat(int32_t index) const { return Effective(index, kXFUsedNumFormat).NumFormat; }

WideString TlxFormatList::GetXFNumberFormatText(int32_t index) const {
  return numFormats_->GetAt(GetXFNumberFormat(index));
}

bool TlxFormatList::IsXFDateFormat(int32_t index) const { return numFormats_->IsDateFormat(GetXFNumberFormat(index)); }

int32_t TlxFormatList::SetXFLocked(int32_t index, bool value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedProtection);
  group.Protection = static_cast<uint8_t>((group.Protection & ~1) | (value ? 1 : 0));
  return Commit(index, group, kXFUsedProtection, release);
}

int32_t TlxFormatList::SetXFFormulaHidden(int32_t index, bool value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedProtection);
  group.Protection = static_cast<uint8_t>((group.Protection & ~2) | (value ? 2 : 0));
  return Commit(index, group, kXFUsedProtection, release);
}

bool TlxFormatList::GetXFLocked(int32_t index) const { return Effective(index, kXFUsedProtection).Protection & 1; }
bool TlxFormatList::GetXFFormulaHidden(int32_t index) const {
  return Effective(index, kXFUsedProtection).Protection & 2;
}

// ---------------------------------------------------------------------------
// Alignment group

int32_t TlxFormatList::SetXFHorizontalAlignment(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  const int32_t code = value & 7;
  group.Alignment = static_cast<uint8_t>((group.Alignment & 0xF8) | code);
  // An indent only makes sense for left and right alignment.
  if (code != kHorizontalLeft && code != kHorizontalRight && (group.Indent & 0x0F) != 0) group.Indent &= 0xF0;
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::SetXFVerticalAlignment(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  group.Alignment = static_cast<uint8_t>((group.Alignment & 0x8F) | ((value & 7) << 4));
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::SetXFWrapText(int32_t index, bool value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  group.Alignment = static_cast<uint8_t>((group.Alignment & ~kWrapBit) | (value ? kWrapBit : 0));
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::SetXFRotation(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  group.Rotation = static_cast<uint8_t>(value & 0xFF);
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::SetXFIndentLevel(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  const int32_t level = value & 0x0F;
  group.Indent = static_cast<uint8_t>((group.Indent & 0xF0) | level);
  // An indent needs left or right alignment; the wrap bit is kept.
  const int32_t horizontal = group.Alignment & 7;
  if (level > 0 && horizontal != kHorizontalLeft && horizontal != kHorizontalRight) {
    group.Alignment = static_cast<uint8_t>((group.Alignment & 0xF8) | kHorizontalLeft);
  }
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::SetXFShrinkToFit(int32_t index, bool value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  group.Indent = static_cast<uint8_t>((group.Indent & ~kShrinkBit) | (value ? kShrinkBit : 0));
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::SetXFReadingOrder(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedAlignment);
  group.Indent = static_cast<uint8_t>((group.Indent & 0x3F) | (((value << 2) & 0x0C) << 4));
  return Commit(index, group, kXFUsedAlignment, release);
}

int32_t TlxFormatList::GetXFHorizontalAlignment(int32_t index) const {
  return Effective(index, kXFUsedAlignment).Alignment & 7;
}
int32_t TlxFormatList::GetXFVerticalAlignment(int32_t index) const {
  return (Effective(index, kXFUsedAlignment).Alignment >> 4) & 7;
}
bool TlxFormatList::GetXFWrapText(int32_t index) const {
  return Effective(index, kXFUsedAlignment).Alignment & kWrapBit;
}
int32_t TlxFormatList::GetXFRotation(int32_t index) const { return Effective(index, kXFUsedAlignment).Rotation; }
int32_t TlxFormatList::GetXFIndentLevel(int32_t index) const {
  return Effective(index, kXFUsedAlignment).Indent & 0x0F;
}
bool TlxFormatList::GetXFShrinkToFit(int32_t index) const {
  return Effective(index, kXFUsedAlignment).Indent & kShrinkBit;
}
int32_t TlxFormatList::GetXFReadingOrder(int32_t index) const {
  return (Effective(index, kXFUsedAlignment).Indent >> 6) & 3;
}

// ---------------------------------------------------------------------------
// Border group

int32_t TlxFormatList::ChangeBorderCodes(int32_t index, int32_t edges, bool release,
                                         int32_t (*code)(int32_t current, int32_t value), int32_t value) {
  TXLSXFFields group = Effective(index, kXFUsedBorders);
  for (const TSide& side : kSides) {
    if (!(edges & side.Edge)) continue;
    const int32_t next = code(SideStyle(group, side), value);
    SetSideStyle(group, side, next);
    if (next == kLineNone) {
      SetSideColor(group, side, 0);
    } else if (SideColor(group, side) == 0) {
      SetSideColor(group, side, kXFSystemForeground);
    }
  }
  if (const uint32_t bits = DiagonalBits(edges); bits != 0) {
    const int32_t next = code(DiagonalStyle(group), value);
    if (next != kLineNone) {
      group.Border1 |= bits;
      SetDiagonalStyle(group, next);
      if (DiagonalColor(group) == 0) SetDiagonalColor(group, kXFSystemForeground);
    } else {
      // Both diagonals share one style and colour: removing one diagonal
      // leaves the other as it was.
      group.Border1 &= ~bits;
      if ((group.Border1 & (kDiagonalDownBit | kDiagonalUpBit)) == 0) {
        SetDiagonalStyle(group, kLineNone);
        SetDiagonalColor(group, 0);
      }
    }
  }
  return Commit(index, group, kXFUsedBorders, release);
}

int32_t TlxFormatList::SetXFBorderLineStyle(int32_t index, int32_t edges, int32_t lineStyle, bool release) {
  return ChangeBorderCodes(index, edges, release, &CodeForLineStyle, lineStyle);
}

int32_t TlxFormatList::SetXFBorderWeight(int32_t index, int32_t edges, int32_t weight, bool release) {
  return ChangeBorderCodes(index, edges, release, &CodeForWeight, weight);
}

int32_t TlxFormatList::SetXFBorderColorIndex(int32_t index, int32_t edges, int32_t colorIndex, bool release) {
  int32_t color;
  if (colorIndex == 0 || colorIndex == xlNone) {
    color = 0;
  } else if (colorIndex >= 1 && colorIndex <= 56) {
    color = colorIndex + kFirstUserColor - 1;
  } else if (colorIndex == xlAutomatic) {
    color = kXFSystemForeground;
  } else {
    // Not a colour: the format stays as it is. The result still carries the
    // reference the caller expects to own.
    if (index == 0) return 0;
    return Rekey(release ? index : 0, GetKey(index));
  }
  TXLSXFFields group = Effective(index, kXFUsedBorders);
  for (const TSide& side : kSides) {
    if (!(edges & side.Edge)) continue;
    SetSideColor(group, side, color);
    if (color == 0) {
      SetSideStyle(group, side, kLineNone);
    } else if (SideStyle(group, side) == kLineNone) {
      SetSideStyle(group, side, kLineThin);
    }
  }
  if (const uint32_t bits = DiagonalBits(edges); bits != 0) {
    if (color != 0) {
      SetDiagonalColor(group, color);
      if (DiagonalStyle(group) == kLineNone) SetDiagonalStyle(group, kLineThin);
      group.Border1 |= bits;
    } else {
      group.Border1 &= ~bits;
      if ((group.Border1 & (kDiagonalDownBit | kDiagonalUpBit)) == 0) {
        SetDiagonalColor(group, 0);
        SetDiagonalStyle(group, kLineNone);
      }
    }
  }
  return Commit(index, group, kXFUsedBorders, release);
}

int32_t TlxFormatList::GetXFBorderLineStyle(int32_t index, int32_t edge) const {
  int32_t code, color;
  EdgeCodeAndColor(Effective(index, kXFUsedBorders), edge, code, color);
  return LineStyleOfCode(code);
}

int32_t TlxFormatList::GetXFBorderWeight(int32_t index, int32_t edge) const {
  int32_t code, color;
  EdgeCodeAndColor(Effective(index, kXFUsedBorders), edge, code, color);
  return WeightOfCode(code);
}

int32_t TlxFormatList::GetXFBorderColorIndex(int32_t index, int32_t edge) const {
  int32_t code, color;
  EdgeCodeAndColor(Effective(index, kXFUsedBorders), edge, code, color);
  if (color == 0) return xlNone;
  if (color == kXFSystemForeground) return xlAutomatic;
  if (color < kFirstUserColor) return color;
  return color - kFirstUserColor + 1;
}

bool TlxFormatList::HasXFBorders(int32_t index) const { return Fields(index).Used & kXFUsedBorders; }

// ---------------------------------------------------------------------------
// Pattern group. In a solid fill (pattern 1) the fill colour is the
// foreground; in the other patterns the foreground draws the pattern and the
// background is the fill colour.

int32_t TlxFormatList::SetXFPattern(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedPattern);
  if (value == 0) {
    ClearFill(group);
  } else if (value == 1) {
    // Switching to solid moves the fill colour into the foreground; a fill
    // that is already solid keeps its colours.
    if (group.Pattern != 1) SetPatternColors(group, Background(group), Foreground(group));
    group.Pattern = 1;
  } else {
    group.Pattern = static_cast<uint8_t>(value & 0xFF);
  }
  return Commit(index, group, kXFUsedPattern, release);
}

int32_t TlxFormatList::SetXFFillColorIndex(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedPattern);
  if (value == 0) {
    ClearFill(group);
  } else if (group.Pattern == 0) {
    group.Pattern = 1;
    SetPatternColors(group, value, Foreground(group));
  } else if (group.Pattern == 1) {
    SetPatternColors(group, value, Background(group));
  } else {
    SetPatternColors(group, Foreground(group), value);
  }
  return Commit(index, group, kXFUsedPattern, release);
}

int32_t TlxFormatList::SetXFPatternColorIndex(int32_t index, int32_t value, bool release) {
  TXLSXFFields group = Effective(index, kXFUsedPattern);
  if (value == 0) {
    ClearFill(group);
  } else if (group.Pattern == 0) {
    group.Pattern = 1;
    SetPatternColors(group, Background(group), value);
  } else if (group.Pattern == 1) {
    SetPatternColors(group, Foreground(group), value);
  } else {
    SetPatternColors(group, value, Background(group));
  }
  return Commit(index, group, kXFUsedPattern, release);
}

int32_t TlxFormatList::GetXFPattern(int32_t index) const { return Effective(index, kXFUsedPattern).Pattern; }

int32_t TlxFormatList::GetXFFillColorIndex(int32_t index) const {
  const TXLSXFFields group = Effective(index, kXFUsedPattern);
  if (group.Pattern == 0) return 0;
  return group.Pattern == 1 ? Foreground(group) : Background(group);
}

int32_t TlxFormatList::GetXFPatternColorIndex(int32_t index) const {
  const TXLSXFFields group = Effective(index, kXFUsedPattern);
  if (group.Pattern == 0) return 0;
  return group.Pattern == 1 ? Background(group) : Foreground(group);
}

}  // namespace lx

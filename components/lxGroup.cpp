#include "lxGroup.h"

#include <algorithm>

#include "lxCodePage.h"
#include "lxRange.h"

namespace lx {

// ---------------------------------------------------------------- shared formatting

// A range's own slots give the style objects once the model hands them out;
// until then they are made on the range's implementation directly.
XLSPtr<IXLSFontSlots> FontOf(IXLSRangeBase* range) {
  if (XLSPtr<IXLSFont> font = range->Font())
    if (auto* slots = dynamic_cast<IXLSFontSlots*>(font.Get())) return XLSPtr<IXLSFontSlots>(slots);
  return TXLSFont::Create(TXLSRange::From(range));
}

XLSPtr<IXLSBordersSlots> BordersOf(IXLSRangeBase* range) {
  if (XLSPtr<IXLSBorders> borders = range->Borders())
    if (auto* slots = dynamic_cast<IXLSBordersSlots*>(borders.Get())) return XLSPtr<IXLSBordersSlots>(slots);
  return TXLSBorders::Create(TXLSRange::From(range));
}

XLSPtr<IXLSInteriorSlots> InteriorOf(IXLSRangeBase* range) {
  if (XLSPtr<IXLSInterior> interior = range->Interior())
    if (auto* slots = dynamic_cast<IXLSInteriorSlots*>(interior.Get())) return XLSPtr<IXLSInteriorSlots>(slots);
  return TXLSInterior::Create(TXLSRange::From(range));
}

std::u16string FrameworkTextToWide(std::string_view text, uint8_t charset) {
  if (text.empty()) return {};
  return AnsiToWide(text, CharsetToCodePage(charset));
}

namespace {

const TXLSWorkbook& WorkbookOf(IXLSRangeBase* range) { return *range->Worksheet()->Workbook(); }

}  // namespace

int32_t ResolveColor(const TXLSWorkbook& book, TColor color) {
  return color == clNone ? 0 : book.NearestColorIndex(ColorToRGB(color));
}

TXLSFontStyle ResolveFont(const TXLSWorkbook& book, const TFont& font) {
  TXLSFontStyle style;
  style.charset = font.Charset();
  style.name = AnsiToWide(font.Name());
  style.size = static_cast<float>(font.Size());
  style.colorIndex = ResolveColor(book, font.Color());
  style.bold = font.Style().Contains(fsBold);
  style.italic = font.Style().Contains(fsItalic);
  style.underline = font.Style().Contains(fsUnderline);
  style.strikeOut = font.Style().Contains(fsStrikeOut);
  return style;
}

// A colour write by RGB value stores the nearest palette index, so writing
// the index resolved beforehand is the same write.
void ApplyFontStyle(IXLSRangeBase* range, const TXLSFontStyle& font) {
  XLSPtr<IXLSFontSlots> target = FontOf(range);
  target->SetCharset(font.charset);
  target->SetName(font.name);
  target->SetSize(font.size);
  if (font.colorIndex != 0) target->SetColorIndex(font.colorIndex);
  target->SetBold(font.bold);
  target->SetItalic(font.italic);
  if (font.underline) target->SetUnderline(xlUnderlineStyleSingle);
  if (font.strikeOut) target->SetStrikethrough(true);
}

void ApplyFont(IXLSRangeBase* range, const TFont& font) { ApplyFontStyle(range, ResolveFont(WorkbookOf(range), font)); }

TBorderLine BorderLineOf(TBorderStyle style) {
  switch (style) {
    case BorderStyleSingleHair:
      return {xlContinuous, xlHairline};
    case BorderStyleSingleThick:
      return {xlContinuous, xlThick};
    case BorderStyleSingleThin:
      return {xlContinuous, xlThin};
    case BorderStyleDouble:
      return {xlDouble, xlThick};
    default:
      return {xlNone, xlThin};
  }
}

bool TopEdgeHasLine(IXLSRangeBase* range) { return BordersOf(range)->Item(xlEdgeTop)->LineStyle() != xlNone; }

void ApplyEdgeBorders(IXLSRangeBase* range, TBorderStyle style, TColor color, bool topHasLine) {
  if (style == BorderStyleNone && color == clNone) return;
  ApplyEdgeBorderLines(range, style, ResolveColor(WorkbookOf(range), color), topHasLine);
}

void ApplyEdgeBorderLines(IXLSRangeBase* range, TBorderStyle style, int32_t colorIndex, bool topHasLine) {
  if (style == BorderStyleNone && colorIndex == 0) return;
  XLSPtr<IXLSBordersSlots> borders = BordersOf(range);
  static constexpr int32_t kSides[] = {xlEdgeBottom, xlEdgeLeft, xlEdgeRight};
  if (style != BorderStyleNone) {
    const TBorderLine line = BorderLineOf(style);
    auto draw = [&](int32_t edge) {
      XLSPtr<IXLSBorder> border = borders->Item(edge);
      border->SetLineStyle(line.lineStyle);
      if (line.lineStyle != xlNone) border->SetWeight(line.weight);
    };
    for (int32_t edge : kSides) draw(edge);
    if (!topHasLine) draw(xlEdgeTop);
  }
  if (colorIndex != 0) {
    for (int32_t edge : kSides) borders->Item(edge)->SetColorIndex(colorIndex);
    if (!topHasLine) borders->Item(xlEdgeTop)->SetColorIndex(colorIndex);
  }
}

// ---------------------------------------------------------------- storage

void TXLSGroupStorage::Add(const std::string& name, int32_t columnIndex, int32_t visiblePosition) {
  items_.emplace_back(name, std::make_unique<TXLSGroupItem>(name, columnIndex, visiblePosition));
  columns_.push_back(columnIndex);
}

TXLSGroupItem& TXLSGroupStorage::Item(int32_t index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[static_cast<size_t>(index)].second;
}

bool TXLSGroupStorage::IsGroupColumn(int32_t columnIndex) const {
  return std::find(columns_.begin(), columns_.end(), columnIndex) != columns_.end();
}

bool TXLSGroupStorage::IsGroupField(std::string_view name) const {
  return std::any_of(items_.begin(), items_.end(), [&](const auto& entry) { return SameText(entry.first, name); });
}

bool TXLSGroupStorage::IsChanged(const TXLSGroupItem& item, const TVariant& value) {
  if (item.lastTitleRow_ == -1 || !item.hasValue_) return true;
  return VarNotEqual(item.lastValue_, value);
}

void TXLSGroupStorage::SetTitle(TXLSGroupItem& item, int32_t row, const TVariant& value) {
  item.lastTitleRow_ = row;
  item.lastValue_ = value;
  item.hasValue_ = true;
}

void TXLSGroupStorage::Reset(TXLSGroupItem& item) {
  item.lastTitleRow_ = -1;
  item.lastValue_ = TVariant::Null();
  item.hasValue_ = false;
}

void TXLSGroupStorage::Prepare(const TStrings& groupFields, const std::vector<bool>& visible,
                               const std::function<int32_t(const std::string& name)>& findColumn) {
  if (groupFields.Count() == 0) return;
  // positions[j]: visible columns before column j, so a visible column gets
  // its place among the exported ones and a hidden one the place where the
  // next visible column stands.
  std::vector<int32_t> positions(visible.size());
  int32_t shown = 0;
  for (size_t j = 0; j < visible.size(); ++j) {
    positions[j] = shown;
    if (visible[j]) ++shown;
  }
  visibleColumnCount_ = shown;
  for (const std::string& name : groupFields) {
    const int32_t j = findColumn(name);
    if (j < 0 || static_cast<size_t>(j) >= visible.size()) continue;
    Add(name, j, positions[static_cast<size_t>(j)]);
    active_ = true;
  }
}

namespace {

TVariant ValueOrNull(const std::function<TVariant(int32_t)>& valueOf, int32_t column) {
  if (!valueOf) return TVariant::Null();
  try {
    return valueOf(column);
  } catch (const std::exception&) {
    return TVariant::Null();
  }
}

// The value WriteTitles compares: the style's reference when it has one,
// else a copy kept in `held`.
const TVariant& TitleValue(const TXLSGroupTitleStyle& style, int32_t column, TVariant& held) {
  if (style.valueRefOf) {
    try {
      return style.valueRefOf(column);
    } catch (const std::exception&) {
      held = TVariant::Null();
      return held;
    }
  }
  held = ValueOrNull(style.valueOf, column);
  return held;
}

}  // namespace

int32_t TXLSGroupStorage::PendingTitles(const std::function<TVariant(int32_t columnIndex)>& valueOf) const {
  if (!active_) return 0;
  for (int32_t i = 0; i < Count(); ++i)
    if (IsChanged(Item(i), ValueOrNull(valueOf, Item(i).ColumnIndex()))) return Count() - i;
  return 0;
}

void TXLSGroupStorage::WriteTitles(const TXLSGroupTitleStyle& style, int32_t& row) {
  if (!active_) return;
  bool changed = false;
  for (int32_t i = 0; i < Count(); ++i) {
    TVariant held;
    const TVariant& value = TitleValue(style, Item(i).ColumnIndex(), held);
    if (changed || IsChanged(Item(i), value)) {
      WriteTitle(style, i, value, row);
      ++row;
      changed = true;
    }
  }
  // Row `row` of the sheet (clamped to it, as a row range is).
  style.sheet->RowInfo().SetRowOutlineLevel(std::clamp(row - 1, 0, kXLSMaxRow), Count() + 1);
}

void TXLSGroupStorage::WriteTitle(const TXLSGroupTitleStyle& style, int32_t index, const TVariant& value, int32_t row) {
  TXLSGroupItem& item = Item(index);
  SetTitle(item, row, value);
  const int32_t first = style.startColumn + item.VisiblePosition() + 1;
  XLSPtr<IXLSRange> titleRow = style.sheet->RangeOf(row, first, style.startColumn + visibleColumnCount_, row);
  XLSPtr<IXLSRange> cell = style.sheet->Cells()->Item(row, first);
  cell->SetValue(value);
  cell->Rows()->SetOutlineLevel(std::min(index + 1, 8));
  if (!style.disableFormat.Contains(foFont)) {
    if (style.font) ApplyFont(cell.Get(), *style.font);
    if (style.color != clNone) InteriorOf(titleRow.Get())->SetColor(ColorToRGB(style.color));
  }
  if (!style.disableFormat.Contains(foBorders)) {
    // Only the first record of a sheet looks for a line above (the header's);
    // later titles always draw their own top edge.
    const bool topHasLine = style.recordsOnSheet <= 1 && TopEdgeHasLine(titleRow.Get());
    ApplyEdgeBorders(titleRow.Get(), style.borderStyle, style.borderColor, topHasLine);
  }
  if (style.afterGroupTitle) style.afterGroupTitle(index, titleRow.Get(), cell.Get());
}

void TXLSGroupStorage::ResetOutermost() {
  if (active_ && !items_.empty()) Reset(*items_.front().second);
}

}  // namespace lx

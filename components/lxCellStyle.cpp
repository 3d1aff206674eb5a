#include "lxCellStyle.h"

#include <algorithm>

#include "lxCodePage.h"
#include "lxRange.h"

namespace lx {

void SetCellValue(IXLSWorksheet& sheet, int32_t row, int32_t column, const TVariant& value) {
  if (value.IsArray()) {
    XLSPtr<IXLSRange> cell = TXLSRange::Create(&sheet, row, column, row, column);
    cell->SetValue(value);
    return;
  }
  sheet.SetCellValue(sheet.CellHeap().GetCell(row, column), value);
  sheet.Workbook()->RaiseGeneration();
}

bool TextKeepsAscii(const TField& field, uint8_t charset) {
  const TDataSet* data = field.DataSet();
  return ResolveCodePage(data ? data->CodePage() : kSystemCodePage) == kSystemCodePage &&
         ResolveCodePage(CharsetToCodePage(charset)) == kSystemCodePage;
}

void WriteFieldValue(IXLSWorksheet& sheet, int32_t row, int32_t column, const TField& field, uint8_t charset,
                     bool keepsAscii) {
  const TFieldType type = field.DataType();
  if (IsStringFieldType(type)) {
    const TVariant& value = field.Value();
    const bool ascii = value.VarType() == varOleStr && std::all_of(value.WideValue().begin(), value.WideValue().end(),
                                                                   [](char16_t c) { return c < 0x80; });
    if (keepsAscii && ascii)
      SetCellValue(sheet, row, column, value);
    else
      SetCellValue(sheet, row, column, TVariant(FrameworkTextToWide(field.DisplayText(), charset)));
  } else if (type == ftFMTBcd) {
    SetCellValue(sheet, row, column, field.IsNull() ? field.Value() : TVariant(field.AsFloat()));
  } else {
    SetCellValue(sheet, row, column, field.Value());
  }
}

void ApplyCellStyle(IXLSRange* cell, const TXLSCellStyle& style) {
  if (style.hasFont) ApplyFontStyle(cell, style.font);
  if (style.fillColorIndex != 0) InteriorOf(cell)->SetColorIndex(style.fillColorIndex);
  // The top line is looked for after the font and fill, which may have
  // given the cell a format of its own.
  if (style.hasBorders) ApplyEdgeBorderLines(cell, style.borderStyle, style.borderColorIndex, TopEdgeHasLine(cell));
  if (style.horizontalAlignment != 0) cell->SetHorizontalAlignment(style.horizontalAlignment);
  if (style.hasNumberFormat) cell->SetNumberFormat(style.numberFormat);
}

int32_t TXLSCellStyler::StyleId(const TXLSCellStyle& style) {
  const auto found = std::find(styles_.begin(), styles_.end(), style);
  if (found != styles_.end()) return static_cast<int32_t>(found - styles_.begin());
  styles_.push_back(style);
  last_.emplace_back();
  return static_cast<int32_t>(styles_.size() - 1);
}

size_t TXLSCellStyler::TKeyHash::operator()(const TKey& key) const {
  uint64_t h = 0x9E3779B97F4A7C15ull;
  for (int32_t v : {key.style, key.self, key.above, key.left, key.right, key.below, key.aboveShown})
    h = (h ^ static_cast<uint32_t>(v)) * 0x100000001B3ull;
  return static_cast<size_t>(h ^ (h >> 29));
}

void TXLSCellStyler::Forget() {
  outcomes_.clear();
  for (TLast& last : last_) last.known = false;
  formats_ = nullptr;
  formatCount_ = 0;
}

namespace {

int32_t FormatOf(const TXLSCellRef* cell) { return cell ? cell->FormatIndex : -1; }

// Sets a cell's format the way a format change does: its use moves from the
// old format to the new one.
void SetFormat(TlxFormatList& formats, TXLSCellRef* cell, int32_t format) {
  if (!cell || cell->FormatIndex == format) return;
  formats.MoveReference(cell->FormatIndex, format);
  cell->FormatIndex = format;
}

}  // namespace

void TXLSCellStyler::Apply(IXLSWorksheet& sheet, int32_t row, int32_t column, int32_t id) {
  const TXLSCellStyle& style = Style(id);
  if (style.Empty()) return;
  TXLSCellHeap& cells = sheet.CellHeap();
  TXLSCellRef* self = cells.FindCell(row, column);
  TlxFormatList& formats = sheet.Workbook()->Formats();
  if (&formats != formats_ || formats.Count() < formatCount_) Forget();
  formats_ = &formats;
  formatCount_ = formats.Count();
  auto direct = [&] {
    XLSPtr<IXLSRange> cell = TXLSRange::Create(&sheet, row, column, row, column);
    ApplyCellStyle(cell.Get(), style);
  };
  // A cell made by the formatting itself, or one whose format a merged area
  // decides, is left to the plain path.
  if (!remember_ || !self || self->Merged) {
    direct();
    return;
  }
  TXLSCellRef* above = cells.FindCell(row - 1, column);
  TXLSCellRef* left = cells.FindCell(row, column - 1);
  TXLSCellRef* right = cells.FindCell(row, column + 1);
  TXLSCellRef* below = cells.FindCell(row + 1, column);
  const TKey key{id,
                 self->FormatIndex,
                 FormatOf(above),
                 FormatOf(left),
                 FormatOf(right),
                 FormatOf(below),
                 row > 0 ? sheet.EffectiveFormat(row - 1, column) : -1};
  TLast& last = last_[static_cast<size_t>(id)];
  const TOutcome* known = nullptr;
  if (last.known && last.key == key) {
    known = &last.outcome;
  } else if (const auto found = outcomes_.find(key); found != outcomes_.end()) {
    last = TLast{true, key, found->second};
    known = &last.outcome;
  }
  if (known) {
    const TOutcome& outcome = *known;
    SetFormat(formats, self, outcome.self);
    SetFormat(formats, above, outcome.above);
    SetFormat(formats, left, outcome.left);
    SetFormat(formats, right, outcome.right);
    SetFormat(formats, below, outcome.below);
    return;
  }
  direct();
  const TOutcome outcome{self->FormatIndex, FormatOf(above), FormatOf(left), FormatOf(right), FormatOf(below)};
  outcomes_.emplace(key, outcome);
  last = TLast{true, key, outcome};
  formatCount_ = formats.Count();
}

}  // namespace lx

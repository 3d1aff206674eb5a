// Worksheets and the worksheet collection.
#include <algorithm>
#include <cmath>

#include "lxCompoundFile.h"
#include "lxHandle.h"
#include "lxHyperlinks.h"
#include "lxRange.h"
#include "lxStringTable.h"

namespace lx {

// ---------------------------------------------------------------- worksheet

IXLSWorksheet::IXLSWorksheet(TXLSWorkbook* workbook, int32_t identifier)
    : workbook_(workbook), identifier_(identifier) {
  cells_ = std::make_unique<TXLSCellHeap>(this);
  rows_ = std::make_unique<TXLSRowInfoList>(&workbook->Formats());
  columns_ = std::make_unique<TXLSColumnInfoList>(&workbook->Formats());
  cellsRange_ = TXLSRange::Create(this, 0, 0, kXLSMaxRow, kXLSMaxColumn);
  activeCell_ = TXLSRange::Create(this, 0, 0, 0, 0);
  // The sheet's own entry is looked up by position when first needed: the
  // sheet has no position yet while the collection is creating it.
  pageSetup_ = MakeXLS<TXLSPageSetup>(
      this, [this] { return workbook_->ExternSheets().FindOrAddSheetPositions(index_, index_); });
}

IXLSWorksheet::~IXLSWorksheet() {
  activeCell_.Reset();
  cellsRange_.Reset();
  cells_.reset();
}

int32_t IXLSWorksheet::MakeFirstVisibleTab() {
  workbook_->SetFirstVisibleTab(index_ - 1);
  return kResultOk;
}

int32_t IXLSWorksheet::SplitPanes(int32_t firstRow, int32_t firstColumn, int32_t width, int32_t height) {
  return ApplySplitPanes(panes_, frozenPanes_, firstRow, firstColumn, width, height);
}

int32_t IXLSWorksheet::FreezePanes(int32_t rows, int32_t columns, int32_t firstColumn, int32_t firstRow) {
  return ApplyFreezePanes(panes_, frozenPanes_, static_cast<uint16_t>(rows), static_cast<uint16_t>(columns),
                          static_cast<uint16_t>(firstColumn), static_cast<uint16_t>(firstRow));
}

TXLSOutline& IXLSWorksheet::GetOutline() {
  if (!outline_) outline_ = std::make_unique<TXLSOutline>();
  return *outline_;
}

TXLSSheetObjects* IXLSWorksheet::GetSheetObjects() {
  if (!objects_) {
    const TXLSWorkbookLinks* links = workbook_->Links();
    if (links && links->makeSheetObjects) objects_ = links->makeSheetObjects(*this);
  }
  return objects_.get();
}

TXLSCustomHyperlinks& IXLSWorksheet::GetHyperlinkList() {
  if (!hyperlinks_) hyperlinks_ = std::make_unique<TXLSCustomHyperlinks>(this);
  return *hyperlinks_;
}

XLSPtr<IXLSHyperlinks> IXLSWorksheet::Hyperlinks() { return XLSPtr<IXLSHyperlinks>(new TXLSHyperLinks(this)); }

int32_t IXLSWorksheet::Reserved3() { return kResultFail; }
int32_t IXLSWorksheet::Reserved4() { return kResultFail; }

XLSPtr<IXLSRange> IXLSWorksheet::Cells() { return cellsRange_; }

XLSPtr<IXLSRange> IXLSWorksheet::Range(const WideString& firstCell, const WideString& lastCell) {
  int32_t r1 = 0, c1 = 0;
  if (!ParseCellName(firstCell, r1, c1)) return TXLSRange::Create(this, 0, 0, 0, 0);
  int32_t r2 = r1, c2 = c1;
  if (!ParseCellName(lastCell, r2, c2)) {
    r2 = r1;
    c2 = c1;
  }
  return TXLSRange::Create(this, r1, c1, r2, c2);
}

XLSPtr<IXLSRange> IXLSWorksheet::RangeOf(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  auto clampRow = [](int32_t r) { return std::clamp(r, 1, kXLSMaxRow + 1) - 1; };
  auto clampColumn = [](int32_t c) { return std::clamp(c, 1, kXLSMaxColumn + 1) - 1; };
  return TXLSRange::Create(this, clampRow(firstRow), clampColumn(firstColumn), clampRow(lastRow),
                           clampColumn(lastColumn));
}

XLSPtr<IXLSRange> IXLSWorksheet::UsedRange() {
  if (cells_->Empty()) return TXLSRange::Create(this, 0, 0, 0, 0);
  return TXLSRange::Create(this, cells_->FirstRow(), cells_->FirstColumn(), cells_->LastRow(), cells_->LastColumn());
}

XLSPtr<IXLSRange> IXLSWorksheet::ActiveCell() { return activeCell_; }

void IXLSWorksheet::SetName(const WideString& name) {
  WideString sound = ReplaceLoneSurrogates(name);
  if (workbook_->Worksheets()->IsValidName(index_, sound)) name_ = std::move(sound);
}

void IXLSWorksheet::Activate() {
  IXLSWorkSheets* sheets = workbook_->Worksheets();
  if (!selected_) {
    sheets->DeselectAll();
    selected_ = true;
  }
  sheets->SetActiveSheet(this);
}

void IXLSWorksheet::Select(bool replace) {
  IXLSWorkSheets* sheets = workbook_->Worksheets();
  if (replace) {
    sheets->DeselectAll();
    sheets->SetActiveSheet(this);
  }
  selected_ = true;
}

void IXLSWorksheet::SetVisible(const TVariant& value) {
  if (value.VarType() == varBoolean) {
    visibility_ = value.ToBool() ? 0 : 1;
  } else if (value.IsInteger()) {
    const int64_t v = value.ToInt64();
    if (v >= 0 && v <= 2) visibility_ = static_cast<uint8_t>(v);
  }
}

void IXLSWorksheet::SetZoom(const TVariant& value) {
  if (value.VarType() == varBoolean) {
    if (value.ToBool()) zoom_ = 100;
  } else if (value.IsInteger()) {
    const int64_t v = value.ToInt64();
    if (v >= 10 && v <= 400) zoom_ = static_cast<uint16_t>(v);
  }
}

void IXLSWorksheet::SetFirstVisibleRow(int32_t row) {
  if (row >= 1 && row <= kXLSMaxRow + 1) firstVisibleRow_ = row - 1;
}

void IXLSWorksheet::SetFirstVisibleColumn(int32_t column) {
  if (column >= 1 && column <= kXLSMaxColumn + 1) firstVisibleColumn_ = column - 1;
}

void IXLSWorksheet::SetStandardHeight(double points) { rows_->DefaultRow().Height = PointsToTwips(points); }

void IXLSWorksheet::SetStandardWidth(double characters) {
  columns_->DefaultColumn().Width = CharactersToColumnWidth(characters);
}

int32_t IXLSWorksheet::EffectiveFormat(int32_t row, int32_t column, bool* fromCell) const {
  if (fromCell) *fromCell = false;
  if (const TXLSCellRef* cell = cells_->FindCell(row, column)) {
    if (cell->FormatIndex > 0) {
      if (fromCell) *fromCell = true;
      return cell->FormatIndex;
    }
    return 0;
  }
  return FormatWithoutCell(rows_->Find(row), column);
}

int32_t IXLSWorksheet::FormatWithoutCell(const TXLSRowInfo* rowInfo, int32_t column) const {
  // A formatted row wins; then the column's format. The records the cell
  // store creates for every used row carry the default cell format 15, which
  // applies only where the column has no format, so that a column format is
  // not lost to cells created after another cell of their row.
  if (rowInfo && rowInfo->HasRowFormat && rowInfo->FormatIndex != 0) return rowInfo->FormatIndex;
  const TXLSColumnInfo* columnInfo = columns_->Find(column);
  const int32_t columnFormat = columnInfo ? columnInfo->FormatIndex : columns_->DefaultColumn().FormatIndex;
  if (columnFormat != 0) return columnFormat;
  return rowInfo ? rowInfo->FormatIndex : 0;
}

void IXLSWorksheet::SetCellValue(TXLSCellRef* cell, const TVariant& value) {
  if (!cell || cell->HiddenByMerge()) return;
  TXLSStringTable& strings = workbook_->StringTable();
  if (cell->Kind == ckString) {
    strings.ReleaseString(cell->StringIndex);
    cell->StringIndex = -1;
    cell->Kind = ckBlank;
  } else if (cell->Kind == ckFormula) {
    cell->SetFormula(nullptr);
    cell->Kind = ckBlank;
  }

  // NaN and the infinities are no numbers a file can hold; they are kept as
  // the error #NUM!, as a spreadsheet program shows them.
  auto setNumber = [cell](uint8_t kind, double number) {
    const bool finite = std::isfinite(number);
    cell->Kind = finite ? kind : static_cast<uint8_t>(ckError);
    cell->Number = finite ? number : kXLSErrorNum;
  };
  const TVarType type = value.VarType();
  if (type == varDouble) {  // the common case first
    setNumber(ckNumber, value.ToDouble());
  } else if (type == varEmpty || type == varNull) {
    cell->Kind = ckBlank;
  } else if (value.IsNumeric()) {
    setNumber(ckNumber, value.ToDouble());
  } else if (type == varDate) {
    double serial = value.ToDouble();
    // Serial 60 is the spreadsheet's 29 February 1900; below 1 March 1900
    // the two scales are one day apart.
    if (serial >= 1 && serial < 61) serial -= 1;
    setNumber(ckDate, serial);
  } else if (type == varBoolean) {
    cell->Kind = ckBoolean;
    cell->Number = value.ToBool() ? 1.0 : 0.0;
  } else if (value.IsString()) {
    // Wide text is read in place; only 8-bit text needs a converted copy.
    WideString converted;
    if (type != varOleStr) converted = value.ToWide();
    std::u16string_view text = type == varOleStr ? std::u16string_view(value.WideValue()) : converted;
    if (text.empty()) {
      cell->Kind = ckBlank;
      return;
    }
    if (text[0] == u'=') {
      if (auto formula = workbook_->CompileFormula(WideToAnsi(text.substr(1)), identifier_)) {
        cell->SetFormula(std::move(formula));
        cell->Kind = ckFormula;
        return;
      }
    } else if (text[0] == u'\'') {
      text.remove_prefix(1);
      if (text.empty()) {
        cell->Kind = ckBlank;
        return;
      }
    }
    if (text.find(u'\n') != std::u16string_view::npos) {
      XLSPtr<IXLSRange> single = TXLSRange::Create(this, cell->Row, cell->Column, cell->Row, cell->Column);
      single->SetWrapText(TVariant(true));
    }
    cell->StringIndex = strings.AddString(text);
    cell->Kind = ckString;
  }
}

int32_t IXLSWorksheet::GetCellValue(const TXLSCellRef* cell, TVariant& value) const {
  value = TVariant::Null();
  if (!cell) return kResultFail;
  if (cell->HiddenByMerge()) return kResultOk;
  switch (cell->Kind) {
    case ckBlank:
      return kResultOk;
    case ckString:
      value = TVariant(workbook_->StringTable().GetString(cell->StringIndex));
      return kResultOk;
    case ckNumber:
      value = TVariant(cell->Number);
      return kResultOk;
    case ckDate:
      value = TVariant::FromDate(cell->Number);
      return kResultOk;
    case ckBoolean:
      value = TVariant(cell->Number > 0);
      return kResultOk;
    case ckFormula:
      return workbook_->EvaluateFormula(index_, cell->Formula(), value, cell->Column, cell->Row);
    case ckError:
      value = TVariant::FromError(static_cast<int32_t>(cell->Number));
      return kResultOk;
    default:
      return kResultFail;
  }
}

TVariant IXLSWorksheet::ReadCellValue(const TXLSCellRef* cell) const {
  TVariant value;
  if (GetCellValue(cell, value) != kResultOk) value = TVariant::Null();
  return value;
}

void IXLSWorksheet::GetCellFormulaText(const TXLSCellRef* cell, TVariant& value) const {
  if (cell && cell->HiddenByMerge()) {
    value = TVariant::Null();
    return;
  }
  if (cell && cell->Kind == ckFormula) {
    const AnsiString text = workbook_->FormulaText(cell->Formula(), cell->Row, identifier_, cell->Column);
    value = text.empty() ? TVariant::Null() : TVariant(text);
    return;
  }
  // A cell that is missing or cannot be read reads as null, which is what
  // GetCellValue leaves in value then.
  static_cast<void>(GetCellValue(cell, value));
}

bool IXLSWorksheet::HasFormula(const TXLSCellRef* cell) const {
  return cell && cell->Kind == ckFormula && !cell->HiddenByMerge();
}

void IXLSWorksheet::SetCellFormat(int32_t row, int32_t column, int32_t formatIndex) {
  TXLSCellRef* cell = cells_->GetCell(row, column);
  if (!cell) return;
  workbook_->Formats().MoveReference(EffectiveFormat(row, column), formatIndex);
  cell->FormatIndex = formatIndex;
}

// ---------------------------------------------------------------- collection

IXLSWorkSheets::IXLSWorkSheets(TXLSWorkbook* workbook) : workbook_(workbook) {}

IXLSWorkSheets::~IXLSWorkSheets() = default;

IXLSWorksheet* IXLSWorkSheets::Add() { return Insert(Count() + 1); }

IXLSWorksheet* IXLSWorkSheets::Insert(int32_t position) {
  // Positions outside 1..count + 1 have no place to go; the sheet is not made.
  if (position < 1 || position > Count() + 1) return nullptr;
  auto sheet = std::make_unique<IXLSWorksheet>(workbook_, ++nextIdentifier_);
  int32_t n = Count() + 1;
  WideString name;
  do {
    name = workbook_->SheetNamePrefix() + AsciiToWide(std::to_string(n++));
  } while (!IsValidName(0, name));
  sheet->name_ = name;
  IXLSWorksheet* result = sheet.get();
  sheets_.insert(sheets_.begin() + (position - 1), std::move(sheet));
  for (int32_t i = 0; i < Count(); ++i) sheets_[i]->SetIndex(static_cast<int16_t>(i + 1));
  if (!active_) {
    active_ = result;
    result->selected_ = true;
  }
  return result;
}

IXLSWorksheet* IXLSWorkSheets::Item(int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return sheets_[position - 1].get();
}

int32_t IXLSWorkSheets::IdentifierOfName(const WideString& name) const {
  for (const auto& sheet : sheets_)
    if (sheet->Name() == name) return sheet->Identifier() > 0 ? sheet->Identifier() : -1;
  return -1;
}

int32_t IXLSWorkSheets::PositionOfIdentifier(int32_t identifier) const {
  for (const auto& sheet : sheets_)
    if (sheet->Identifier() == identifier) return sheet->Index();
  return -1;
}

void IXLSWorkSheets::DeselectAll() {
  for (const auto& sheet : sheets_) sheet->SetSelected(false);
}

bool IXLSWorkSheets::IsValidName(int32_t skipPosition, const WideString& name) const {
  // Spreadsheet programs rename a sheet whose name is empty, begins or ends
  // with an apostrophe (which quotes sheet names in references) or matches
  // another sheet's but for letter case, and the name would be lost.
  if (name.empty() || name.size() > 31) return false;
  if (name.front() == u'\'' || name.back() == u'\'') return false;
  if (name.find_first_of(u"[:*?/\\]") != WideString::npos) return false;
  for (int32_t i = 0; i < Count(); ++i) {
    if (i + 1 == skipPosition) continue;
    // Letter case is folded as in compound-file element names: ASCII,
    // Latin-1, Latin Extended-A, Greek, Cyrillic and full-width letters.
    if (SameCompoundName(sheets_[i]->Name(), name)) return false;
  }
  return true;
}

}  // namespace lx

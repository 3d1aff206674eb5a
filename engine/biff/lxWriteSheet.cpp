// The worksheet substream writer: cells in row blocks, sheet settings, head
// and tail records.
#include "lxWriteSheet.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "lxCalculator.h"
#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxDraw.h"
#include "lxDrawingObjects.h"
#include "lxExternSheet.h"
#include "lxHandle.h"
#include "lxHyperlinks.h"
#include "lxOutline.h"
#include "lxPageBreaks.h"
#include "lxPageSetup.h"
#include "lxPanes.h"
#include "lxProtect.h"
#include "lxStringTable.h"

namespace lx {

namespace {

constexpr uint16_t kBOFBuildBiff8 = 0x18AF;  // 6319
constexpr uint16_t kBOFYearBiff8 = 0x07CD;   // 1997
constexpr uint32_t kBOFHistoryFlags = 0x000080C9;
constexpr uint32_t kBOFLowestVersion = 0x00000106;
constexpr uint16_t kBOFBuildBiff5 = 0x096C;  // 2412
constexpr uint16_t kBOFYearBiff5 = 0x07C9;   // 1993

constexpr uint16_t kCalcCount = 100;
constexpr double kCalcDelta = 0.001;
constexpr uint16_t kDefColWidthCharacters = 8;
constexpr uint16_t kDefaultRowHeightTwips = 255;
// ROW height of a row without its own height: 255 with the default bit.
constexpr uint16_t kRowDefaultHeight = 0x80FF;
constexpr uint16_t kRowAlways = 0x0100;
constexpr uint16_t kRowFormatted = 0x0080;
constexpr uint16_t kRowHidden = 0x0020;
constexpr uint16_t kRowCustomHeight = 0x0040;
// The group of deeper rows this row sums up is collapsed.
constexpr uint16_t kRowCollapsed = 0x0010;
constexpr uint16_t kRowDefaultXF = 15;
constexpr uint16_t kRowPayload = 16;

constexpr uint16_t kColInfoAlways = 0x0002;
constexpr uint16_t kColInfoHidden = 0x0001;
constexpr uint16_t kColInfoPayload = 12;

constexpr uint16_t kWindow2Gridlines = 0x0002;
constexpr uint16_t kWindow2Frozen = 0x0008;
constexpr uint16_t kWindow2Zeros = 0x0010;
constexpr uint16_t kWindow2RightToLeft = 0x0040;
constexpr uint16_t kWindow2Always = 0x00A4;  // headings, default gridline colour, outline symbols
// The sheet's tab is selected; several sheets may be.
constexpr uint16_t kWindow2Selected = 0x0200;
// The sheet is the one the window shows: only the active sheet.
constexpr uint16_t kWindow2Displayed = 0x0400;
constexpr uint16_t kWindow2GridlineColor = 64;

constexpr uint16_t kSelectionPayload = 15;
// FORMULA payload before the tokens: row, column, XF, result, options and
// the reserved double word.
constexpr uint32_t kFormulaHeadPayload = 20;
constexpr uint16_t kMaxLabelLength = 255;

const TXLSRowInfo* FindRow(const TXLSRowInfoList& rows, int32_t row) {
  return row >= 0 && row <= kXLSMaxRow ? rows.Find(row) : nullptr;
}

}  // namespace

std::unique_ptr<TXLSBlob> BuildBOFRecord(bool biff8, uint16_t substreamType) {
  auto record = NewRecord(kRecBOF, biff8 ? 16 : 8);
  record->AddWord(biff8 ? kBOFVersionBiff8 : kBOFVersionBiff5);
  record->AddWord(substreamType);
  record->AddWord(biff8 ? kBOFBuildBiff8 : kBOFBuildBiff5);
  record->AddWord(biff8 ? kBOFYearBiff8 : kBOFYearBiff5);
  if (biff8) {
    record->AddDWord(kBOFHistoryFlags);
    record->AddDWord(kBOFLowestVersion);
  }
  return record;
}

std::unique_ptr<TXLSBlob> BuildEOFRecord() { return NewRecord(kRecEOF, 0); }

TXLSSheetParts SheetPartsOf(IXLSWorksheet& sheet) {
  TXLSSheetParts parts;
  parts.pageSetup = &sheet.PageSetup();
  parts.protect = &sheet.Protection();
  parts.panes = sheet.Panes();
  parts.frozenPanes = sheet.FrozenPanes();
  parts.outline = sheet.Outline();
  parts.horizontalBreaks = &sheet.HPageBreaks();
  parts.verticalBreaks = &sheet.VPageBreaks();
  parts.displayZeros = sheet.DisplayZeros();
  parts.rightToLeft = sheet.RightToLeft();
  return parts;
}

TXLSSheetWriter::TXLSSheetWriter(const TXLSWriteContext& context, IXLSWorksheet& sheet, const TXLSSheetParts& parts)
    : context_(context), sheet_(sheet), parts_(parts) {
  if (!parts_.pageSetup) {
    defaultPageSetup_ = XLSPtr<TXLSPageSetup>(new TXLSPageSetup());
    parts_.pageSetup = defaultPageSetup_.Get();
  }
}

TXLSSheetWriter::~TXLSSheetWriter() = default;

void TXLSSheetWriter::AddSheetRecord(std::unique_ptr<TXLSBlob> record, TListKind list) {
  if (!record) return;
  if (record->Length() > uint32_t{context_.maxRecordData} + kRecordHeaderSize)
    SplitRecord(record, context_.maxRecordData);
  total_ += record->Length();
  lists_[list].AddRecord(std::move(record));
}

void TXLSSheetWriter::AddSheetRecord(const TXLSBlob& record, TListKind list) {
  if (record.Length() > uint32_t{context_.maxRecordData} + kRecordHeaderSize) {
    auto copy = std::make_unique<TXLSBlob>(record.Length());
    copy->AppendBlob(record);
    AddSheetRecord(std::move(copy), list);
    return;
  }
  total_ += record.Length();
  lists_[list].AddRecord(record);
}

TXLSBlob& TXLSSheetWriter::StartRecord(uint16_t number, uint32_t payload) {
  record_.Clear();
  record_.AddWord(number);
  record_.AddWord(static_cast<uint16_t>(payload));
  return record_;
}

TXLSBlob& TXLSSheetWriter::StartCellRecord(uint16_t number, uint32_t payload, int32_t row, int32_t column) {
  StartRecord(number, payload);
  record_.AddWord(static_cast<uint16_t>(row));
  record_.AddWord(static_cast<uint16_t>(column));
  return record_;
}

int32_t TXLSSheetWriter::NoteCellWritten(int32_t row, int32_t column) {
  if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return kResultCellOutsideSheet;
  if (!bounds_.any) {
    bounds_ = {true, row, row, column, column};
    return kResultOk;
  }
  bounds_.firstRow = std::min(bounds_.firstRow, row);
  bounds_.lastRow = std::max(bounds_.lastRow, row);
  bounds_.firstColumn = std::min(bounds_.firstColumn, column);
  bounds_.lastColumn = std::max(bounds_.lastColumn, column);
  return kResultOk;
}

uint16_t TXLSSheetWriter::RecordXF(int32_t formatIndex) const {
  if (formatIndex <= 0) return 0;
  const int32_t output = context_.workbook->Formats().OutputIndex(formatIndex);
  return output > 0 ? static_cast<uint16_t>(output - 1) : 0;
}

double TXLSSheetWriter::WrittenValue(const TXLSCellRef& cell, int32_t row, int32_t column) const {
  double value = cell.Number;
  if (!context_.workbook->Date1904()) return value;
  const bool isDate =
      cell.Kind == ckDate ||
      (cell.Kind == ckNumber && context_.workbook->Formats().IsXFDateFormat(sheet_.EffectiveFormat(row, column)));
  if (isDate) value = value >= k1904DateOffset ? value - k1904DateOffset : 0.0;
  return value;
}

int32_t TXLSSheetWriter::WriteWorksheet(uint32_t streamPosition) {
  bounds_ = {};
  index_ = {};
  maxRowLevel_ = maxColumnLevel_ = 0;
  const int32_t result = WriteCells();
  if (result != kResultOk) return result;
  WriteSheetRecords(streamPosition);
  return kResultOk;
}

// ---------------------------------------------------------------- cells

int32_t TXLSSheetWriter::WriteCells() {
  const TXLSRowInfoList& rows = sheet_.RowInfo();
  const int32_t first = rows.FirstRow();
  const int32_t last = rows.LastRow();
  if (first < 0 || last < first) return kResultOk;
  TXLSBlobList& cells = lists_[lkCells];
  std::unique_ptr<TXLSDBCell> block;
  for (int32_t row = first; row <= last; ++row) {
    const int32_t inBlock = (row - first) % kRowsPerBlock;
    if (inBlock == 0) {
      block = std::make_unique<TXLSDBCell>(row, cells.Total());
      WriteRowRecords(row, std::min(row + kRowsPerBlock - 1, last));
    }
    if (rows.Find(row)) block->NoteRow(row, cells.Total());
    WriteRowCells(row);
    if (row == last || inBlock == kRowsPerBlock - 1) {
      auto record = block->BuildRecord(cells.Total());
      const int32_t result = index_.Add(*block);
      if (result != kResultOk) return result;
      AddSheetRecord(std::move(record), lkCells);
    }
  }
  return kResultOk;
}

void TXLSSheetWriter::WriteRowRecords(int32_t firstRow, int32_t lastRow) {
  const TXLSRowInfoList& rows = sheet_.RowInfo();
  // A summary row sits below its detail rows unless the outline puts it above.
  const int32_t detailSide = parts_.outline && parts_.outline->SummaryRow() == 0 ? 1 : -1;
  for (int32_t row = firstRow; row <= lastRow; ++row) {
    const TXLSRowInfo* info = rows.Find(row);
    if (!info) continue;
    const uint8_t level = static_cast<uint8_t>(info->OutlineLevel & 7);
    maxRowLevel_ = std::max<int32_t>(maxRowLevel_, level);
    uint16_t options = kRowAlways | level;
    if (info->HasRowFormat) options |= kRowFormatted;
    if (info->Hidden) options |= kRowHidden;
    if (info->CustomHeight && !info->Hidden && info->HeightSet) options |= kRowCustomHeight;
    // A group is collapsed when its detail rows are hidden: the row next to
    // this one on the detail side is deeper and hidden.
    const TXLSRowInfo* detail = FindRow(rows, row + detailSide);
    if (detail && detail->Hidden && (detail->OutlineLevel & 7) > level) options |= kRowCollapsed;
    uint16_t xf = kRowDefaultXF;
    if (info->HasRowFormat) xf = RecordXF(info->FormatIndex);
    TXLSBlob& record = StartRecord(kRecRow, kRowPayload);
    record.AddWord(static_cast<uint16_t>(row));
    record.AddWord(static_cast<uint16_t>(info->FirstUsedColumn < 0 ? 0 : info->FirstUsedColumn));
    record.AddWord(static_cast<uint16_t>(info->LastUsedColumn < 0 ? 0 : info->LastUsedColumn + 1));
    record.AddWord(info->CustomHeight ? info->Height : kRowDefaultHeight);
    record.AddWord(0);
    record.AddWord(0);
    record.AddWord(options);
    record.AddWord(xf);
    AddSheetRecord(record, lkCells);
  }
}

void TXLSSheetWriter::WriteRowCells(int32_t row) {
  const TXLSCellHeap& heap = sheet_.CellHeap();
  auto closeBoth = [&] {
    CloseRKRun(row);
    CloseBlankRun(row);
  };
  int32_t next = 0;  // the column that continues the open runs
  heap.ForEachCellInRow(row, [&](const TXLSCellRef& cell) {
    const int32_t column = cell.Column;
    // An empty column between two cells ends both runs.
    if (column != next) closeBoth();
    next = column + 1;
    int32_t top = 0, left = 0, bottom = 0, right = 0;
    // A merged area of a single cell is written like any other cell.
    if (heap.MergedAreaOf(&cell, top, left, bottom, right) && (bottom > top || right > left)) {
      closeBoth();
      if (cell.MergeOwner() == &cell) WriteMergedArea(cell, top, left, bottom, right);
      return true;
    }
    const uint16_t xf = RecordXF(cell.FormatIndex);
    switch (cell.Kind) {
      case ckNumber: {
        CloseBlankRun(row);
        const double value = WrittenValue(cell, row, column);
        uint32_t rk = 0;
        if (EncodeRK(value, rk)) {
          if (rkFirst_ < 0) rkFirst_ = column;
          rkRun_.push_back({xf, rk});
        } else {
          CloseRKRun(row);
          WriteNumber(row, column, xf, value);
        }
        break;
      }
      case ckBlank:
        CloseRKRun(row);
        if (blankFirst_ < 0) blankFirst_ = column;
        blankRun_.push_back(xf);
        break;
      case ckString:
        closeBoth();
        WriteString(cell, row, column, xf);
        break;
      case ckDate:
        closeBoth();
        WriteNumber(row, column, xf, WrittenValue(cell, row, column));
        break;
      case ckBoolean:
        closeBoth();
        WriteBoolean(row, column, xf, cell.Number);
        break;
      case ckError:
        closeBoth();
        WriteError(row, column, xf, cell.Number);
        break;
      case ckFormula:
        closeBoth();
        WriteFormula(cell, row, column, xf);
        break;
      default:
        closeBoth();
        break;
    }
    return true;
  });
  closeBoth();
}

void TXLSSheetWriter::WriteSingleCell(const TXLSCellRef& cell, int32_t row, int32_t column) {
  const uint16_t xf = RecordXF(cell.FormatIndex);
  switch (cell.Kind) {
    case ckBlank:
      WriteBlank(row, column, xf);
      break;
    case ckString:
      WriteString(cell, row, column, xf);
      break;
    case ckNumber:
    case ckDate:
      WriteNumber(row, column, xf, WrittenValue(cell, row, column));
      break;
    case ckBoolean:
      WriteBoolean(row, column, xf, cell.Number);
      break;
    case ckError:
      WriteError(row, column, xf, cell.Number);
      break;
    case ckFormula:
      WriteFormula(cell, row, column, xf);
      break;
    default:
      break;
  }
}

void TXLSSheetWriter::WriteMergedArea(const TXLSCellRef& owner, int32_t top, int32_t left, int32_t bottom,
                                      int32_t right) {
  const TXLSCellHeap& heap = sheet_.CellHeap();
  WriteSingleCell(owner, top, left);
  bottom = std::min(bottom, kXLSMaxRow);
  right = std::min(right, kXLSMaxColumn);
  // The other cells of the area keep their formats (borders of the area) in
  // BLANK records; a cell that does not exist shows the top-left cell's.
  for (int32_t row = top; row <= bottom; ++row) {
    for (int32_t column = left; column <= right; ++column) {
      if (row == top && column == left) continue;
      const TXLSCellRef* cell = heap.FindCell(row, column);
      const uint16_t xf = RecordXF(cell ? cell->FormatIndex : owner.FormatIndex);
      if (xf == 0) continue;
      WriteBlank(row, column, xf);
    }
  }
  TXLSBlob& record = StartRecord(kRecMergedCells, 10);
  record.AddWord(1);
  record.AddWord(static_cast<uint16_t>(top));
  record.AddWord(static_cast<uint16_t>(bottom));
  record.AddWord(static_cast<uint16_t>(left));
  record.AddWord(static_cast<uint16_t>(right));
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::CloseRKRun(int32_t row) {
  if (rkFirst_ < 0) return;
  const int32_t first = rkFirst_;
  const int32_t count = static_cast<int32_t>(rkRun_.size());
  const int32_t last = first + count - 1;
  if (NoteCellWritten(row, first) == kResultOk && NoteCellWritten(row, last) == kResultOk) {
    if (count == 1) {
      TXLSBlob& record = StartCellRecord(kRecRK, 10, row, first);
      record.AddWord(rkRun_[0].xf);
      record.AddDWord(rkRun_[0].rk);
    } else {
      TXLSBlob& record = StartCellRecord(kRecMulRK, 6 + 6 * static_cast<uint32_t>(count), row, first);
      for (const TRKItem& item : rkRun_) {
        record.AddWord(item.xf);
        record.AddDWord(item.rk);
      }
      record.AddWord(static_cast<uint16_t>(last));
    }
    AddSheetRecord(record_, lkCells);
  }
  rkFirst_ = -1;
  rkRun_.clear();
}

void TXLSSheetWriter::CloseBlankRun(int32_t row) {
  if (blankFirst_ < 0) return;
  const int32_t first = blankFirst_;
  const int32_t count = static_cast<int32_t>(blankRun_.size());
  const int32_t last = first + count - 1;
  const uint16_t singleXF = blankRun_[0];
  std::vector<uint16_t> run;
  run.swap(blankRun_);
  blankFirst_ = -1;
  if (count == 1) {
    if (singleXF != 0) WriteBlank(row, first, singleXF);
    return;
  }
  if (NoteCellWritten(row, first) != kResultOk || NoteCellWritten(row, last) != kResultOk) return;
  TXLSBlob& record = StartCellRecord(kRecMulBlank, 6 + 2 * static_cast<uint32_t>(count), row, first);
  for (uint16_t xf : run) record.AddWord(xf);
  record.AddWord(static_cast<uint16_t>(last));
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::WriteBlank(int32_t row, int32_t column, uint16_t xf) {
  if (NoteCellWritten(row, column) != kResultOk) return;
  TXLSBlob& record = StartCellRecord(kRecBlank, 6, row, column);
  record.AddWord(xf);
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::WriteNumber(int32_t row, int32_t column, uint16_t xf, double value) {
  if (NoteCellWritten(row, column) != kResultOk) return;
  TXLSBlob& record = StartCellRecord(kRecNumber, 14, row, column);
  record.AddWord(xf);
  record.AddDouble(value);
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::WriteString(const TXLSCellRef& cell, int32_t row, int32_t column, uint16_t xf) {
  const TXLSStringTable& strings = context_.workbook->StringTable();
  if (context_.biff8) {
    const int32_t position = strings.GetSSTIndex(cell.StringIndex);
    // A text the table did not number cannot be referred to.
    if (position < 0) return;
    if (NoteCellWritten(row, column) != kResultOk) return;
    TXLSBlob& record = StartCellRecord(kRecLabelSST, 10, row, column);
    record.AddWord(xf);
    record.AddDWord(static_cast<uint32_t>(position));
    AddSheetRecord(record, lkCells);
    return;
  }
  if (NoteCellWritten(row, column) != kResultOk) return;
  std::string text = WideToAnsi(TextToCellText(strings.GetString(cell.StringIndex)));
  if (text.size() > kMaxLabelLength) text.resize(kMaxLabelLength);
  TXLSBlob& record = StartCellRecord(kRecLabel, 8 + static_cast<uint32_t>(text.size()), row, column);
  record.AddWord(xf);
  record.AddWord(static_cast<uint16_t>(text.size()));
  record.AddAnsi(text);
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::WriteBoolean(int32_t row, int32_t column, uint16_t xf, double value) {
  if (NoteCellWritten(row, column) != kResultOk) return;
  TXLSBlob& record = StartCellRecord(kRecBoolErr, 8, row, column);
  record.AddWord(xf);
  record.AddByte(value > 0 ? 1 : 0);
  record.AddByte(0);
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::WriteError(int32_t row, int32_t column, uint16_t xf, double code) {
  if (NoteCellWritten(row, column) != kResultOk) return;
  TXLSBlob& record = StartCellRecord(kRecBoolErr, 8, row, column);
  record.AddWord(xf);
  record.AddByte(static_cast<uint8_t>(code));
  record.AddByte(1);  // an error, not a boolean
  AddSheetRecord(record, lkCells);
}

void TXLSSheetWriter::WriteFormula(const TXLSCellRef& cell, int32_t row, int32_t column, uint16_t xf) {
  const TXLSCompiledFormula* formula = cell.Formula();
  if (!formula || !context_.workbook) return;
  TXLSCalculator& calculator = WorkbookCalculator(*context_.workbook);
  calculator.SetBiff5(!context_.biff8);
  // A member of an array formula whose master cell no longer holds that
  // formula would point at nothing: it is written as a formula of its own.
  const TXLSArrayFormula* array = formula->ArrayFormula();
  bool standalone = false;
  if (array && !array->master) {
    const TXLSCellRef* master = sheet_.CellHeap().FindCell(array->masterRow, array->masterColumn);
    standalone = !master || master->Formula() != array->masterFormula.get();
  }
  const int32_t encoded = standalone ? calculator.WriteExpression(*formula, kClassValue, row, column, formulaTokens_)
                                     : calculator.WriteCellFormula(*formula, row, column, formulaTokens_);
  // A formula this file version cannot hold (a function BIFF5 lacks, a
  // sheet that no longer resolves, more tokens than one record takes: peers
  // read no CONTINUE after a FORMULA) still leaves its cell and format.
  const uint32_t payload = kFormulaHeadPayload + formulaTokens_.Length();
  if (encoded != kResultOk || payload > context_.maxRecordData) {
    WriteBlank(row, column, xf);
    return;
  }
  if (NoteCellWritten(row, column) != kResultOk) return;
  TVariant value;
  const int32_t status =
      calculator.Calculate(*formula, sheet_.Index(), context_.workbook->Generation(), row, column, value);
  std::u16string text;
  TXLSBlob& record = StartCellRecord(kRecFormula, payload, row, column);
  record.AddWord(xf);
  AddFormulaResult(record, status, value, text);
  record.AddDWord(0);
  record.AppendBlob(formulaTokens_);
  AddSheetRecord(record, lkCells);
  if (array && array->master && array->masterRow == row && array->masterColumn == column &&
      calculator.WriteArrayFormula(*formula, formulaTokens_) == kResultOk) {
    TXLSBlob& arrayRecord = StartRecord(kRecArray, formulaTokens_.Length());
    arrayRecord.AppendBlob(formulaTokens_);
    AddSheetRecord(arrayRecord, lkCells);
  }
  if (text.empty()) return;
  const bool biff8 = context_.biff8;
  const std::string ansi = biff8 ? std::string() : WideToAnsi(text);
  const auto length = static_cast<uint16_t>(biff8 ? text.size() : ansi.size());
  TXLSBlob& string = StartRecord(kRecString, biff8 ? 3u + 2u * length : 2u + length);
  string.AddWord(length);
  if (biff8) {
    string.AddByte(1);
    string.AddWide(text);
  } else {
    string.AddAnsi(ansi);
  }
  AddSheetRecord(string, lkCells);
}

void TXLSSheetWriter::AddFormulaResult(TXLSBlob& record, int32_t status, const TVariant& value,
                                       std::u16string& text) const {
  // Result bytes that are not a number end in 0xFFFF, which no double the
  // record could otherwise hold does.
  auto special = [&](uint8_t type, uint8_t data) {
    record.AddByte(type);
    record.AddByte(0);
    record.AddByte(data);
    record.AddByte(0);
    record.AddWord(0);
    record.AddWord(0xFFFF);
  };
  int32_t error = -1;
  if (status == kCalcOk && value.VarType() == varError) error = value.ErrorValue();
  if (IsCalcError(status)) error = status;
  if (error >= 0 && IsCalcError(error)) {
    special(2, static_cast<uint8_t>(error));
    record.AddWord(0);
    return;
  }
  if (status == kCalcOk) {
    if (value.VarType() == varBoolean) {
      special(1, value.ToBool() ? 1 : 0);
      record.AddWord(0);
      return;
    }
    if (value.IsNumeric() || value.VarType() == varDate) {
      double number = value.ToDouble();
      if (value.VarType() == varDate && context_.workbook->Date1904())
        number = number >= k1904DateOffset ? number - k1904DateOffset : 0.0;
      if (std::isfinite(number)) {
        record.AddDouble(number);
        record.AddWord(0);
        return;
      }
    }
    if (value.IsEmpty() || value.IsNull() || (value.IsString() && value.ToWide().empty())) {
      if (context_.biff8) {
        special(3, 0);
      } else {
        record.AddDouble(0.0);
      }
      record.AddWord(0);
      return;
    }
    // A text longer than a cell holds is left for the reader to calculate.
    if (value.IsString() && value.ToWide().size() <= kMaxLabelLength) {
      text = TextToCellText(value.ToWide());
      special(0, 0);
      record.AddWord(0);
      return;
    }
  }
  // Not calculated here (a function this engine does not evaluate, a
  // circular reference, ...): no result a reader could take for the value,
  // and the request to calculate on load. BIFF5 has no empty result.
  if (context_.biff8) {
    special(3, 0);
  } else {
    record.AddDouble(0.0);
  }
  record.AddWord(kFormulaCalculateOnLoad);
}

// ---------------------------------------------------------------- settings

bool TXLSSheetWriter::IsDisplayedSheet() const {
  // The sheet WINDOW1 names as the current one: the active sheet, or the
  // first when no sheet is active.
  const IXLSWorksheet* active = context_.workbook ? context_.workbook->Worksheets()->ActiveSheet() : nullptr;
  return active ? active == &sheet_ : sheet_.Index() <= 1;
}

void TXLSSheetWriter::WriteColumnInfo() {
  const TXLSColumnInfoList& columns = sheet_.ColumnInfo();
  auto same = [](const TXLSColumnInfo& a, const TXLSColumnInfo& b) {
    return a.Width == b.Width && a.FormatIndex == b.FormatIndex && a.OutlineLevel == b.OutlineLevel &&
           a.Hidden == b.Hidden;
  };
  int32_t column = 0;
  while (column <= kXLSMaxColumn) {
    const TXLSColumnInfo* info = columns.Find(column);
    if (!info) {
      ++column;
      continue;
    }
    int32_t last = column;
    while (last < kXLSMaxColumn) {
      const TXLSColumnInfo* next = columns.Find(last + 1);
      if (!next || !same(*info, *next)) break;
      ++last;
    }
    const uint8_t level = static_cast<uint8_t>(info->OutlineLevel & 7);
    maxColumnLevel_ = std::max<int32_t>(maxColumnLevel_, level);
    uint16_t options = kColInfoAlways | static_cast<uint16_t>(level << 8);
    if (info->Hidden) options |= kColInfoHidden;
    auto record = NewRecord(kRecColInfo, kColInfoPayload);
    record->AddWord(static_cast<uint16_t>(column));
    record->AddWord(static_cast<uint16_t>(last == kXLSMaxColumn && last > column ? kXLSMaxColumn + 1 : last));
    record->AddWord(info->Width);
    record->AddWord(RecordXF(info->FormatIndex));
    record->AddWord(options);
    record->AddWord(2);
    AddSheetRecord(std::move(record), lkSettings);
    column = last + 1;
  }
}

void TXLSSheetWriter::WriteSheetRecords(uint32_t streamPosition) {
  const TXLSPageSetup& setup = *parts_.pageSetup;
  const bool biff8 = context_.biff8;
  std::vector<std::unique_ptr<TXLSBlob>> settings;
  settings.push_back(WordRecord(kRecCalcMode, 1));
  settings.push_back(WordRecord(kRecCalcCount, kCalcCount));
  settings.push_back(WordRecord(kRecRefMode, 1));
  settings.push_back(WordRecord(kRecIteration, 0));
  auto delta = NewRecord(kRecDelta, 8);
  delta->AddDouble(kCalcDelta);
  settings.push_back(std::move(delta));
  settings.push_back(WordRecord(kRecSaveRecalc, 1));
  if (sheet_.SheetObjects()) {
    const TXLSAutofilter& filter = DrawingObjects(sheet_).Autofilter();
    settings.push_back(filter.BuildFilterMode());
    settings.push_back(filter.BuildFilterInfo());
    filter.WriteItems(settings, biff8);
  }
  settings.push_back(WordRecord(kRecDefColWidth, kDefColWidthCharacters));
  for (auto& record : settings) AddSheetRecord(std::move(record), lkSettings);
  settings.clear();
  WriteColumnInfo();

  const TXLSRowInfo& defaultRow = sheet_.RowInfo().DefaultRow();
  auto rowHeight = NewRecord(kRecDefaultRowHeight, 4);
  rowHeight->AddWord(0);
  rowHeight->AddWord(defaultRow.CustomHeight ? defaultRow.Height : kDefaultRowHeightTwips);
  settings.push_back(std::move(rowHeight));
  if (!biff8 && context_.externSheets) {
    for (auto& record : context_.externSheets->BuildExternSheetsBiff5(sheet_.Index()))
      settings.push_back(std::move(record));
  }
  settings.push_back(BuildPrintHeadersRecord(setup));
  settings.push_back(BuildPrintGridlinesRecord(setup));
  settings.push_back(BuildGridSetRecord(setup));
  auto guts = NewRecord(kRecGuts, 8);
  guts->AddWord(static_cast<uint16_t>(maxRowLevel_ * kGutterPerLevel));
  guts->AddWord(static_cast<uint16_t>(maxColumnLevel_ * kGutterPerLevel));
  guts->AddWord(static_cast<uint16_t>(maxRowLevel_ > 0 ? maxRowLevel_ + 1 : 0));
  guts->AddWord(static_cast<uint16_t>(maxColumnLevel_ > 0 ? maxColumnLevel_ + 1 : 0));
  settings.push_back(std::move(guts));
  settings.push_back(BuildWsBoolRecord(parts_.outline, setup.FitToPage()));
  if (parts_.horizontalBreaks) settings.push_back(parts_.horizontalBreaks->BuildRecord(biff8));
  if (parts_.verticalBreaks) settings.push_back(parts_.verticalBreaks->BuildRecord(biff8));
  settings.push_back(BuildSetupRecord(setup));
  if (parts_.protect) {
    for (auto& record : BuildSheetProtectRecords(*parts_.protect)) settings.push_back(std::move(record));
  }
  // DIMENSIONS: rows first and last + 1, columns likewise; an empty sheet
  // gives 0, 0, 0, 256.
  const TXLSWrittenBounds& b = bounds_;
  auto dimensions = NewRecord(kRecDimensions, biff8 ? 14 : 10);
  const uint32_t firstRow = b.any ? static_cast<uint32_t>(b.firstRow) : 0;
  const uint32_t rowEnd = b.any ? static_cast<uint32_t>(b.lastRow) + 1 : 0;
  if (biff8) {
    dimensions->AddDWord(firstRow);
    dimensions->AddDWord(rowEnd);
  } else {
    dimensions->AddWord(static_cast<uint16_t>(firstRow));
    dimensions->AddWord(static_cast<uint16_t>(rowEnd));
  }
  dimensions->AddWord(static_cast<uint16_t>(b.any ? b.firstColumn : 0));
  dimensions->AddWord(static_cast<uint16_t>(b.any ? b.lastColumn + 1 : kXLSMaxColumn + 1));
  dimensions->AddWord(0);
  settings.push_back(std::move(dimensions));
  for (auto& record : settings) AddSheetRecord(std::move(record), lkSettings);

  // Head: BOF and INDEX, whose DBCELL positions count from the first byte of
  // the cell list. A long INDEX is split into CONTINUE records, whose headers
  // move the cell list too.
  auto bof = BuildBOFRecord(biff8, kBOFWorksheet);
  const uint32_t bofSize = bof->Length();
  AddSheetRecord(std::move(bof), lkHead);
  if (index_.HasRows()) {
    const uint32_t cellListStart =
        streamPosition + bofSize + index_.WrittenIndexSize(biff8, context_.maxRecordData) + lists_[lkSettings].Total();
    AddSheetRecord(index_.BuildIndexRecord(biff8, cellListStart), lkHead);
  }
  WriteDrawingRecords();
  WriteTail();
}

void TXLSSheetWriter::WriteDrawingRecords() {
  // Only a sheet that has objects has drawing records: a sheet without
  // keeps its bytes.
  if (!FindDrawingObjects(sheet_)) return;
  TMsoDrawing& drawing = DrawingObjects(sheet_).Drawing();
  TXLSBlobList& list = lists_[lkDrawing];
  const uint32_t before = list.Total();
  if (context_.biff8) {
    // Texts of a workbook protected with a password are scrambled.
    const TXLSProtect& protection = context_.workbook->Protection();
    drawing.WriteDrawing(list, context_.maxRecordData, protection.Protected() && protection.PasswordHashValue() != 0);
  }
  drawing.WriteNotes(list, context_.biff8, context_.biff8 ? 1252 : context_.workbook->CodePage());
  total_ += list.Total() - before;
}

void TXLSSheetWriter::WriteTail() {
  const TXLSPageSetup& setup = *parts_.pageSetup;
  const bool biff8 = context_.biff8;
  std::vector<std::unique_ptr<TXLSBlob>> tail = BuildMarginRecords(setup);
  for (auto& record : BuildCenterRecords(setup)) tail.push_back(std::move(record));
  for (auto& record : BuildHeaderFooterRecords(setup, biff8)) tail.push_back(std::move(record));

  const bool frozen = parts_.frozenPanes && parts_.panes != nullptr;
  uint16_t options = kWindow2Always;
  if (sheet_.DisplayGridlines()) options |= kWindow2Gridlines;
  if (frozen) options |= kWindow2Frozen;
  if (parts_.displayZeros) options |= kWindow2Zeros;
  if (parts_.rightToLeft) options |= kWindow2RightToLeft;
  if (sheet_.Selected()) options |= kWindow2Selected;
  if (IsDisplayedSheet()) options |= kWindow2Displayed;
  int32_t topRow = sheet_.FirstVisibleRow();
  const int32_t hiddenTop = sheet_.RowInfo().HiddenRowsFromTop();
  if (topRow != 0 && hiddenTop >= topRow) topRow = hiddenTop;
  int32_t leftColumn = sheet_.FirstVisibleColumn();
  const int32_t hiddenLeft = sheet_.ColumnInfo().HiddenColumnsFromLeft();
  if (leftColumn != 0 && hiddenLeft >= leftColumn) leftColumn = hiddenLeft;
  auto window = NewRecord(kRecWindow2, biff8 ? 18 : 10);
  window->AddWord(options);
  window->AddWord(static_cast<uint16_t>(topRow));
  window->AddWord(static_cast<uint16_t>(leftColumn));
  if (biff8) {
    window->AddWord(kWindow2GridlineColor);
    window->AddWord(0);
    window->AddWord(0);
    window->AddWord(0);
  }
  window->AddDWord(0);
  tail.push_back(std::move(window));

  if (sheet_.Zoom() != 100) {
    auto scl = NewRecord(kRecScl, 4);
    scl->AddWord(sheet_.Zoom());
    scl->AddWord(100);
    tail.push_back(std::move(scl));
  }
  activePane_ = kPaneUpperLeft;
  if (parts_.panes) {
    tail.push_back(BuildPaneRecord(*parts_.panes, parts_.frozenPanes, activePane_));
    sheet_.SetActivePane(activePane_);
  }

  int32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  if (XLSPtr<IXLSRange> active = sheet_.ActiveCell()) {
    r1 = active->FirstRow();
    c1 = active->FirstColumn();
    r2 = active->LastRow();
    c2 = active->LastColumn();
  }
  auto selection = NewRecord(kRecSelection, kSelectionPayload);
  selection->AddByte(activePane_);
  selection->AddWord(static_cast<uint16_t>(r1));
  selection->AddWord(static_cast<uint16_t>(c1));
  selection->AddWord(0);
  selection->AddWord(1);
  selection->AddWord(static_cast<uint16_t>(std::min(r1, r2)));
  selection->AddWord(static_cast<uint16_t>(std::max(r1, r2)));
  selection->AddByte(static_cast<uint8_t>(std::min(c1, c2)));
  selection->AddByte(static_cast<uint8_t>(std::max(c1, c2)));
  tail.push_back(std::move(selection));

  const uint16_t standardWidth = sheet_.ColumnInfo().DefaultColumn().Width;
  if (standardWidth != kDefaultColumnWidth) tail.push_back(WordRecord(kRecStandardWidth, standardWidth));
  // BIFF5 has no hyperlink records; the hyperlinks stay in the model.
  if (biff8 && sheet_.HyperlinkList()) {
    for (auto& record : sheet_.HyperlinkList()->BuildRecords(context_.maxRecordData)) tail.push_back(std::move(record));
  }
  if (biff8 && sheet_.SheetObjects()) {
    TXLSDrawingObjects& objects = DrawingObjects(sheet_);
    TXLSCalculator& calculator = WorkbookCalculator(*sheet_.Workbook());
    objects.CondFormatter().Write(tail, calculator);
    objects.DataValidator().Write(tail, calculator);
  }
  if (biff8 && parts_.protect) tail.push_back(BuildSheetProtectionRecord(*parts_.protect));
  tail.push_back(BuildEOFRecord());
  for (auto& record : tail) AddSheetRecord(std::move(record), lkTail);
}

}  // namespace lx

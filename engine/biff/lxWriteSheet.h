// The worksheet substream writer.
//
// For each worksheet of a save, TXLSSheetWriter produces the records of its
// substream into five record lists, written to the workbook stream in this
// order: the head (BOF, INDEX), the settings (CALCMODE to DIMENSIONS), the
// cells (ROW records, cell records, merged cells and a DBCELL per block of 32
// rows, see lxDBCell.h), the drawing records and the tail (margins, header and
// footer, window, selection, ..., EOF). The cells are written first, because
// the settings need their bounds and outline levels, and the head last,
// because INDEX holds absolute stream positions of the DBCELL records, which
// depend on the size of the settings list. The save driver (lxWriteGlobals.h)
// knows the sheet's stream position before it calls WriteWorksheet and adds
// the sheet's total to find the next sheet's position.
//
// The writer only reads the workbook model: the cell store, the row and column
// records and the sheet options (page setup, protection, panes, outline, page
// breaks), which it gathers in a TXLSSheetParts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxDBCell.h"
#include "lxObject.h"

namespace lx {

class IXLSWorksheet;
class TXLSWorkbook;
class TVariant;
class TXLSPageSetup;
class TXLSProtect;
class TXLSPanes;
class TXLSOutline;
class TXLSPageBreaks;
class TlxExternSheetSheet;
class TXLSStringTable;
class TlxFormatList;
struct TXLSCellRef;

inline constexpr uint16_t kRecBOF = 0x0809;
inline constexpr uint16_t kRecEOF = 0x000A;
inline constexpr uint16_t kRecCalcMode = 0x000D;
inline constexpr uint16_t kRecCalcCount = 0x000C;
inline constexpr uint16_t kRecRefMode = 0x000F;
inline constexpr uint16_t kRecIteration = 0x0011;
inline constexpr uint16_t kRecDelta = 0x0010;
inline constexpr uint16_t kRecSaveRecalc = 0x005F;
inline constexpr uint16_t kRecDefColWidth = 0x0055;
inline constexpr uint16_t kRecColInfo = 0x007D;
inline constexpr uint16_t kRecDefaultRowHeight = 0x0225;
inline constexpr uint16_t kRecGuts = 0x0080;
inline constexpr uint16_t kRecDimensions = 0x0200;
inline constexpr uint16_t kRecWindow2 = 0x023E;
inline constexpr uint16_t kRecScl = 0x00A0;
inline constexpr uint16_t kRecSelection = 0x001D;
inline constexpr uint16_t kRecStandardWidth = 0x0099;
inline constexpr uint16_t kRecBlank = 0x0201;
inline constexpr uint16_t kRecMulBlank = 0x00BE;
inline constexpr uint16_t kRecNumber = 0x0203;
inline constexpr uint16_t kRecRK = 0x027E;
inline constexpr uint16_t kRecMulRK = 0x00BD;
inline constexpr uint16_t kRecLabelSST = 0x00FD;
inline constexpr uint16_t kRecLabel = 0x0204;
inline constexpr uint16_t kRecBoolErr = 0x0205;
inline constexpr uint16_t kRecMergedCells = 0x00E5;
inline constexpr uint16_t kRecFormula = 0x0006;
inline constexpr uint16_t kRecArray = 0x0221;
// FORMULA option: the reader computes the formula when the file opens (the
// stored result is only a placeholder).
inline constexpr uint16_t kFormulaCalculateOnLoad = 0x0002;
// The text result of the FORMULA record before it.
inline constexpr uint16_t kRecString = 0x0207;

// BOF substream types and versions.
inline constexpr uint16_t kBOFWorkbookGlobals = 0x0005;
inline constexpr uint16_t kBOFWorksheet = 0x0010;
inline constexpr uint16_t kBOFVersionBiff5 = 0x0500;
inline constexpr uint16_t kBOFVersionBiff8 = 0x0600;

// NoteCellWritten: the cell lies outside the sheet and is not written.
inline constexpr int32_t kResultCellOutsideSheet = -2;

// The 1904 date system starts 1462 days after the 1900 one.
inline constexpr double k1904DateOffset = 1462.0;
// The default column width in 1/256 of a character, not written as
// STANDARDWIDTH.
inline constexpr uint16_t kDefaultColumnWidth = 2340;
// Gutter width per outline level (GUTS).
inline constexpr uint16_t kGutterPerLevel = 29;

// The BOF record of a substream (type 0x0005 globals, 0x0010 worksheet).
std::unique_ptr<TXLSBlob> BuildBOFRecord(bool biff8, uint16_t substreamType);
std::unique_ptr<TXLSBlob> BuildEOFRecord();

// Settings of one save, shared by the globals writer and the sheet writers.
struct TXLSWriteContext {
  TXLSWorkbook* workbook = nullptr;
  bool biff8 = true;
  uint16_t maxRecordData = kMaxRecordDataBiff8;
  // BIFF5 sheets refer to the other sheets through their own EXTERNSHEET
  // block; null leaves it out.
  const TlxExternSheetSheet* externSheets = nullptr;
};

// The sheet options the writer reads. Each pointer may be null: the sheet
// then has the defaults (no panes, no protection, no breaks, summary rows
// below and columns right, the default page setup).
struct TXLSSheetParts {
  const TXLSPageSetup* pageSetup = nullptr;
  const TXLSProtect* protect = nullptr;
  const TXLSPanes* panes = nullptr;
  bool frozenPanes = false;
  const TXLSOutline* outline = nullptr;
  const TXLSPageBreaks* horizontalBreaks = nullptr;
  const TXLSPageBreaks* verticalBreaks = nullptr;
  bool displayZeros = true;
  bool rightToLeft = false;
};

// The options a worksheet holds.
TXLSSheetParts SheetPartsOf(IXLSWorksheet& sheet);

// Bounds of the cell records written for a sheet.
struct TXLSWrittenBounds {
  bool any = false;
  int32_t firstRow = 0;
  int32_t lastRow = 0;
  int32_t firstColumn = 0;
  int32_t lastColumn = 0;
};

class TXLSSheetWriter {
 public:
  enum TListKind { lkHead = 0, lkSettings = 1, lkCells = 2, lkDrawing = 3, lkTail = 4, kListCount = 5 };

  TXLSSheetWriter(const TXLSWriteContext& context, IXLSWorksheet& sheet, const TXLSSheetParts& parts);
  ~TXLSSheetWriter();
  TXLSSheetWriter(const TXLSSheetWriter&) = delete;
  TXLSSheetWriter& operator=(const TXLSSheetWriter&) = delete;

  // Produces every record of the sheet; streamPosition is the absolute offset
  // of its BOF in the workbook stream. Result 1 or the first failure.
  [[nodiscard]] int32_t WriteWorksheet(uint32_t streamPosition);

  // Sum of the sizes of every record produced.
  uint32_t Total() const { return total_; }
  const TXLSBlobList& List(TListKind kind) const { return lists_[kind]; }
  const TXLSWrittenBounds& WrittenBounds() const { return bounds_; }

  // Record-adding operation of every record of the sheet: a missing record
  // is skipped, an overlong one split into CONTINUE records; the total grows
  // by its size.
  void AddSheetRecord(std::unique_ptr<TXLSBlob> record, TListKind list);
  // The same for a record the caller keeps (its bytes are copied).
  void AddSheetRecord(const TXLSBlob& record, TListKind list);
  // Widens the written-cell bounds; -2 for a cell outside the sheet, which is
  // then not written.
  [[nodiscard]] int32_t NoteCellWritten(int32_t row, int32_t column);

 private:
  struct TRKItem {
    uint16_t xf;
    uint32_t rk;
  };

  // Cell and row records are assembled one at a time in record_, which is
  // reused so that a record costs no allocation: StartRecord clears it and
  // writes the record header, StartCellRecord also the row and column.
  TXLSBlob& StartRecord(uint16_t number, uint32_t payload);
  TXLSBlob& StartCellRecord(uint16_t number, uint32_t payload, int32_t row, int32_t column);

  [[nodiscard]] int32_t WriteCells();
  void WriteRowRecords(int32_t firstRow, int32_t lastRow);
  void WriteRowCells(int32_t row);
  void WriteMergedArea(const TXLSCellRef& owner, int32_t top, int32_t left, int32_t bottom, int32_t right);
  // One cell by its kind, numbers always as NUMBER (merged areas).
  void WriteSingleCell(const TXLSCellRef& cell, int32_t row, int32_t column);
  void CloseRKRun(int32_t row);
  void CloseBlankRun(int32_t row);
  void WriteBlank(int32_t row, int32_t column, uint16_t xf);
  void WriteNumber(int32_t row, int32_t column, uint16_t xf, double value);
  void WriteString(const TXLSCellRef& cell, int32_t row, int32_t column, uint16_t xf);
  void WriteBoolean(int32_t row, int32_t column, uint16_t xf, double value);
  // A BOOLERR record holding the error code.
  void WriteError(int32_t row, int32_t column, uint16_t xf, double code);
  // A FORMULA record with the formula's calculated result (and a STRING
  // record for a text result); nothing for a formula the file version
  // cannot hold.
  void WriteFormula(const TXLSCellRef& cell, int32_t row, int32_t column, uint16_t xf);
  // The 8 result bytes and the options of a FORMULA record for a calculated
  // result; text is set to the text a STRING record must carry, if any.
  void AddFormulaResult(TXLSBlob& record, int32_t status, const TVariant& value, std::u16string& text) const;

  void WriteSheetRecords(uint32_t streamPosition);
  void WriteColumnInfo();
  void WriteTail();
  // The drawing list: MSODRAWING, OBJ, TXO and chart records (BIFF8), then
  // NOTE records.
  void WriteDrawingRecords();
  // Whether this is the sheet the workbook window shows when the file opens.
  bool IsDisplayedSheet() const;

  // The XF index a record carries for a format index.
  uint16_t RecordXF(int32_t formatIndex) const;
  // A number or date cell's value as written (the 1904 shift applied).
  double WrittenValue(const TXLSCellRef& cell, int32_t row, int32_t column) const;

  const TXLSWriteContext context_;
  IXLSWorksheet& sheet_;
  TXLSSheetParts parts_;
  // Holds a default page setup for a sheet without one.
  XLSPtr<TXLSPageSetup> defaultPageSetup_;
  std::array<TXLSBlobList, kListCount> lists_;
  uint32_t total_ = 0;
  TXLSWrittenBounds bounds_;
  TXLSDBCellIndex index_;
  int32_t maxRowLevel_ = 0;
  int32_t maxColumnLevel_ = 0;
  uint8_t activePane_ = 3;
  TXLSBlob record_{256};
  TXLSBlob formulaTokens_{256};
  // Runs being gathered in the current row.
  int32_t rkFirst_ = -1;
  std::vector<TRKItem> rkRun_;
  int32_t blankFirst_ = -1;
  std::vector<uint16_t> blankRun_;
};

}  // namespace lx

// The workbook reader: a BIFF5 or BIFF8 file back into the workbook model.
//
// TXLSReader empties the workbook, reads every record through the record
// reader (lxStream.h) and turns the records it knows into calls on the
// model: number formats, fonts, cell formats, styles and the palette into
// the formatting tables; cells, rows and columns into the sheets' stores;
// formulas into compiled formulas; sheet names, window and page settings
// into the sheet objects. Records it does not know are passed over.
//
// Every record comes from an untrusted file: each field is read through
// bounds-checked accessors (a field past the record's end reads as 0), and
// nothing is allocated for a count or size a record declares beyond what
// the record holds.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxChart.h"
#include "lxStream.h"
#include "lxText.h"
#include "lxVariant.h"

namespace lx {

class IXLSWorksheet;
class TXLSCalculator;
class TXLSCompiledFormula;
struct TXLSCellRef;
class TXLSWorkbook;

// The stream ended inside a substream (its EOF record is missing).
inline constexpr int32_t kResultStreamEndsInSubstream = 100;

// A built-in print or filter-database name kept until the sheets are all
// read.
struct TXLSSystemName {
  int32_t builtIn = 0;  // 6 print area, 7 print titles, 13 filter database
  int32_t sheet = 0;    // 1-based sheet number
  int32_t firstRow = -1;
  int32_t lastRow = -1;
  int32_t firstColumn = -1;
  int32_t lastColumn = -1;
  // Place of its sheet's entry in the file's EXTERNSHEET table: the print
  // names are applied in that order, so the entries they make are numbered
  // as in the file.
  int32_t order = 0;
};

class TXLSReader {
 public:
  // password may be empty; the default passwords are tried first.
  TXLSReader(TXLSWorkbook& book, std::u16string password);
  ~TXLSReader();
  TXLSReader(const TXLSReader&) = delete;
  TXLSReader& operator=(const TXLSReader&) = delete;

  // The whole read: 1; the record reader's codes (-1, -3, -1001 ... -1005);
  // 100 when the stream ends inside a substream; -1 also when the first BOF
  // is no BIFF5 or BIFF8 workbook BOF and for a malformed FONT record.
  [[nodiscard]] int32_t ReadFile(const std::u16string& fileName);
  [[nodiscard]] int32_t ReadStream(TStream& stream);

  // 1 for a BIFF5 file read, 2 for BIFF8.
  int32_t FileFormat() const { return version_ != 0 && version_ < kBiff8 ? 1 : 2; }

 private:
  static constexpr int32_t kBiff8 = 0x0600;
  enum TState { sNone = 0, sGlobals = 1, sWorksheet = 2, sChart = 3, sEmbeddedChart = 4 };

  [[nodiscard]] int32_t Read();
  [[nodiscard]] int32_t Dispatch(const TXLSRecordGroup& group);
  [[nodiscard]] int32_t ReadBOF(std::span<const uint8_t> data);
  // A chart substream (a chart sheet or a chart in a sheet's drawing):
  // started by its BOF, every record kept until its EOF.
  void StartChart(std::span<const uint8_t> bof);
  [[nodiscard]] int32_t ReadChartRecord(const TXLSRecordGroup& group);
  void EndGlobals();
  [[nodiscard]] int32_t ReadGlobals(uint16_t number, std::span<const uint8_t> data, const TXLSRecordGroup& group);
  [[nodiscard]] int32_t ReadWorksheet(uint16_t number, std::span<const uint8_t> data, const TXLSRecordGroup& group);
  void Finish();

  // Globals records.
  [[nodiscard]] int32_t ReadFont(std::span<const uint8_t> data);
  void ReadFormat(std::span<const uint8_t> data);
  void ReadXF(std::span<const uint8_t> data);
  void ReadStyle(std::span<const uint8_t> data);
  void ReadPalette(std::span<const uint8_t> data);
  void ReadBoundSheet(std::span<const uint8_t> data);
  void ReadSST(const TXLSRecordGroup& group);
  void ReadExternSheet(std::span<const uint8_t> data);
  void ReadName(std::span<const uint8_t> data);
  void ReadDefinedName(std::span<const uint8_t> data, int32_t ordinal);

  // Worksheet records.
  // The cell the number went into (nullptr outside the sheet).
  TXLSCellRef* ReadNumber(int32_t row, int32_t column, int32_t xf, double value);
  // tableIndex: the string table's entry holding text (a shared string), or 0.
  void ReadText(int32_t row, int32_t column, int32_t xf, std::u16string_view text, int32_t tableIndex = 0);
  void ReadBoolErr(std::span<const uint8_t> data);
  void ReadFormula(std::span<const uint8_t> data);
  // The result a FORMULA record holds, kept for its cell until the
  // workbook recalculates; a text result comes in the STRING record after.
  void KeepResult(int32_t row, int32_t column, int32_t xf, std::span<const uint8_t> data);
  void ReadString(std::span<const uint8_t> data);
  void ReadHyperlink(const TXLSRecordGroup& group, std::span<const uint8_t> data);
  void ReadSharedFormula(std::span<const uint8_t> data, bool array);
  void ReadRow(std::span<const uint8_t> data);
  void ReadColumnInfo(std::span<const uint8_t> data);
  void ReadMergedCells(std::span<const uint8_t> data);
  void ReadWindow2(std::span<const uint8_t> data);
  void ReadPane(std::span<const uint8_t> data);
  void ReadSetup(std::span<const uint8_t> data);
  void ReadHeaderFooter(std::span<const uint8_t> data, bool header);
  void ReadPageBreaks(std::span<const uint8_t> data, bool horizontal);
  // MSODRAWING, OBJ, TXO and NOTE: the sheet's drawing.
  void ReadDrawingRecord(uint16_t number, std::span<const uint8_t> data, const TXLSRecordGroup& group);

  // A cell format set on a cell as read (file XF index).
  void SetFormat(int32_t row, int32_t column, int32_t xf);
  void SetFormat(TXLSCellRef& cell, int32_t xf);
  // Value of a NUMBER, RK or MULRK corrected to the 1900 date system.
  double DateCorrected(int32_t row, int32_t column, int32_t xf, double value);
  // Whether a cell format shows dates; remembered per format, since the
  // formats are all read before the first cell.
  bool IsDateFormat(int32_t xf);
  // 8-bit characters in the file's code page.
  std::u16string Narrow(std::span<const uint8_t> bytes) const;
  // A text whose character count has countBytes bytes at offset; BIFF8
  // texts have an option byte after the count.
  std::u16string TextAt(std::span<const uint8_t> data, size_t offset, int countBytes) const;
  TXLSCalculator& Calculator();

  TXLSWorkbook& book_;
  TXLSReadStream stream_;
  TState state_ = sNone;
  int32_t version_ = 0;
  int32_t sheetNumber_ = 0;
  IXLSWorksheet* sheet_ = nullptr;
  // The embedded chart being read (its records, BOF to EOF).
  std::unique_ptr<TXLSCustomChart> chart_;
  // BOFs of the chart substream not yet closed by their EOF.
  int32_t chartDepth_ = 0;
  int32_t fontPosition_ = 0;
  int32_t xfPosition_ = 0;
  uint32_t codePage_ = 0;
  // Table indexes of the shared strings, in SST order; each holds one
  // reference of its own until the read ends.
  std::vector<int32_t> strings_;
  int32_t pendingMasterRow_ = -1;
  int32_t pendingMasterColumn_ = -1;
  int32_t activeTab_ = 0;
  int32_t firstVisibleTab_ = 0;
  bool frozen_ = false;
  bool fitToPage_ = false;
  bool date1904_ = false;
  std::vector<TXLSSystemName> systemNames_;
  // Every NAME record counts, built-in or not: formulas name them by this.
  int32_t nameOrdinal_ = 0;
  // BIFF5: the sheet names of the current substream's EXTERNSHEET records,
  // and the globals' defined names, read at the globals' end.
  std::vector<std::u16string> externSheetNames_;
  std::vector<std::pair<int32_t, std::vector<uint8_t>>> keptNames_;
  // Formula results read, given to their formulas when the read ends.
  struct TKeptResult {
    IXLSWorksheet* sheet = nullptr;
    int32_t row = 0;
    int32_t column = 0;
    int32_t status = 1;
    TVariant value;
  };
  std::vector<TKeptResult> results_;
  // The result waiting for its STRING record; -1 when none.
  int32_t pendingString_ = -1;
  // Cells the merged areas read so far gathered (see kMaxMergedCells).
  int64_t mergedCellsMade_ = 0;
  // Per cell format: 0 not yet asked, 1 a date format, 2 not one.
  std::vector<uint8_t> dateFormats_;
  TXLSBlob formulaBytes_{256};
};

// The number of an RK value (RK, MULRK): the published encoding, where bit 1
// marks an integer in the high 30 bits, else the high 30 bits of a double,
// and bit 0 divides by 100.
double DecodeRK(uint32_t rk);

// The workbook's Open: reads the file (or, when stream is not null, the
// stream) into book with the password (null: none given).
[[nodiscard]] int32_t OpenWorkbook(TXLSWorkbook& book, const WideString& fileName, TStream* stream,
                                   const AnsiString* password);

}  // namespace lx

// The non-visual half of the Marlet window, and its headless export.
//
// Marlet shows the customer table in a grid and exports it through the
// dataset exporter, with the colouring done by the window's event handlers:
// each detail row is coloured by how long ago the customer was last
// invoiced, the header and the whole block get medium outside borders, the
// columns are fitted at the end. Everything the export needs lives here,
// free of Qt: the database connection, the customer dataset (Customer), its
// data source, the grid's columns (DBGrid1), the exporter (DataToXLS1) with
// the settings the window is designed with, and the four handlers. The
// window (Unit1.h) draws DBGrid1 and calls ExportCustomers from its button;
// the --export mode calls the same ExportCustomers without a window.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "AppCommandLine.h"
#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxDataToXLS.h"
#include "lxSQLiteDataSet.h"

namespace lx {

// The grid's columns: field name, width in pixels (0: the column's own
// width from its field).
struct TMarletColumn {
  const char* fieldName;
  int width;
};
inline constexpr TMarletColumn kMarletColumns[] = {
    {"CustNo", 44}, {"Company", 162}, {"Addr1", 141}, {"City", 90},   {"State", 62},
    {"Zip", 69},    {"Country", 108}, {"Phone", 0},   {"Contact", 0}, {"LastInvoiceDate", 98}};

// The row colours of the export by last invoice date: fill and font colour
// (0x00BBGGRR), and those of each row's first cell.
inline constexpr TColor kRecentFill = RGB(255, 153, 0);
inline constexpr TColor kRecentText = RGB(128, 0, 0);
inline constexpr TColor kLastYearFill = RGB(153, 204, 255);
inline constexpr TColor kLastYearText = RGB(0, 0, 128);
inline constexpr TColor kOlderFill = RGB(204, 255, 204);
inline constexpr TColor kOlderText = RGB(0, 51, 0);
inline constexpr TColor kFirstCellFill = RGB(255, 255, 153);
inline constexpr TColor kFirstCellText = RGB(0, 0, 128);

// The band boundaries, as typed: read with the locale's date parser.
inline constexpr const char* kRecentSince = "1/1/1994";
inline constexpr const char* kLastYearSince = "1/1/1993";

class TMarletData {
 public:
  // Builds the grid columns, the exporter's settings and its handlers; the
  // database stays closed until Open.
  TMarletData();
  TMarletData(const TMarletData&) = delete;
  TMarletData& operator=(const TMarletData&) = delete;

  // Opens the customers: those of the embedded demo database when
  // databaseFile is empty, else those of that SQLite file, which must exist.
  // Raises EDatabaseError with the reason when they cannot be read.
  void Open(const std::string& databaseFile = {});

  TSQLiteDataSet& Customer() { return customer_; }
  TDataSource& DataSource1() { return source_; }
  TDBGrid& DBGrid1() { return grid_; }
  TDataToXLS& DataToXLS1() { return exporter_; }

  // The handlers the exporter is designed with.
  // Each header cell narrows the column to its left to 2 characters.
  void DataToXLS1AfterHeaderCell(TDataToXLS* sender, IXLSRange* cell, int32_t fieldIndex, TField* field);
  // Medium outside borders around the header row.
  void DataToXLS1AfterHeader(TDataToXLS* sender, IXLSRange* range);
  // Colours a detail row by the current customer's last invoice date.
  void DataToXLS1AfterDetailRow(TDataToXLS* sender, IXLSRange* range, int32_t rowIndex);
  // Medium outside borders around the block, then fits its columns.
  void DataToXLS1AfterExport(TDataToXLS* sender, IXLSRange* range);

  // The export of the window's button: exports the customers to fileName
  // (XLS, HTML or RTF by its extension), hands the exporter an empty
  // workbook and returns the exporter's result (1 on success).
  int32_t ExportCustomers(const std::u16string& fileName);

 private:
  // Declared in dependency order: each object is destroyed before the ones
  // it points to.
  TSQLiteDatabase database_;
  TSQLiteDataSet customer_;
  TDataSource source_;
  TDBGrid grid_;
  TDataToXLS exporter_;
};

extern const char* const kMarletUsage;

// The --export mode: opens the customers, exports them to the file named
// in options and reports the file and the result on out (errors on err).
// Returns the process exit code: 0 when the file was written, 1 otherwise.
int RunMarletExport(const TAppOptions& options, std::ostream& out, std::ostream& err);

}  // namespace lx

// The non-visual half of the Quillon window, and its headless export.
//
// Quillon shows the orders table in a grid and exports it grouped by payment
// terms and payment method. Everything the export needs lives here, free of
// Qt: the database connection, the orders dataset (ADOTable1), its data
// source, the grid model with its five columns (DBGrid1) and the grid export
// component (GridToXLS1) with the settings the window is designed with. The
// window (Unit2.h) draws DBGrid1 through a Qt item model and calls
// ExportOrders from its button; the command line's --export mode calls the
// same ExportOrders without any window, so both write the same file.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "AppCommandLine.h"
#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxGridToXLS.h"
#include "lxSQLiteDataSet.h"

namespace lx {

// The orders in the order a grouped export expects them: the group titles
// are written whenever Terms or PaymentMethod changes from one record to the
// next, so the records must come sorted by the group fields.
inline constexpr const char* kQuillonOrdersSQL = "SELECT * FROM orders ORDER BY Terms, PaymentMethod, OrderNo";

// The grid's columns: field name, width in pixels.
struct TQuillonColumn {
  const char* fieldName;
  int width;
};
inline constexpr TQuillonColumn kQuillonColumns[] = {
    {"Terms", 111}, {"PaymentMethod", 127}, {"OrderNo", 137}, {"SaleDate", 133}, {"AmountPaid", 141}};

class TQuillonData {
 public:
  // Builds the grid columns and the export component's settings; the
  // database stays closed until Open.
  TQuillonData();
  TQuillonData(const TQuillonData&) = delete;
  TQuillonData& operator=(const TQuillonData&) = delete;

  // Opens the orders: those of the embedded demo database when databaseFile
  // is empty, else those of that SQLite file, which must exist (opening a
  // missing name would create an empty database). Raises EDatabaseError
  // with the reason when the database or its orders table cannot be read.
  void Open(const std::string& databaseFile = {});

  TSQLiteDataSet& ADOTable1() { return table_; }
  TDataSource& DataSource1() { return source_; }
  TDBGrid& DBGrid1() { return grid_; }
  TGridToXLS& GridToXLS1() { return exporter_; }

  // The export of the window's button: sets the group font, the sky-blue
  // group fill, hair group borders and the two group fields, then exports
  // the grid to fileName and returns the component's result (1 on success).
  int32_t ExportOrders(const std::u16string& fileName);

 private:
  // Declared in dependency order: each object is destroyed before the ones
  // it points to.
  TSQLiteDatabase database_;
  TSQLiteDataSet table_;
  TDataSource source_;
  TDBGrid grid_;
  TGridToXLS exporter_;
};

// The command line (AppCommandLine.h).
using TQuillonOptions = TAppOptions;
inline TQuillonOptions ParseQuillonArguments(const std::vector<std::string>& arguments) {
  return ParseAppArguments(arguments);
}
extern const char* const kQuillonUsage;

inline std::string QuillonResultText(int32_t result) { return ExportResultText(result); }

// The --export mode: opens the orders, exports them to fileName and reports
// the file and the result on out (errors on err). Returns the process exit
// code: 0 when the file was written, 1 otherwise.
int RunQuillonExport(const TQuillonOptions& options, std::ostream& out, std::ostream& err);

}  // namespace lx

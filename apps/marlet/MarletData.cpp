#include "MarletData.h"

#include <filesystem>
#include <ostream>

#include "lxConstants.h"
#include "lxSysUtils.h"
#include "lxText.h"

namespace lx {

namespace {

// A date typed as month/day/year with equal day and month, read with the
// locale's parser; the orders that can read it differently cannot differ
// in the result, and a locale whose order fails to read it gets the same
// day directly.
double BandStart(const char* text, int year) {
  double date = 0;
  if (TryStrToDateTime(text, date)) return date;
  return EncodeDate(year, 1, 1);
}

}  // namespace

TMarletData::TMarletData() {
  customer_.SetDatabase(&database_);
  customer_.SetTableName(kDemoCustomerTable);
  // The company names and addresses are partly Cyrillic: the fields' 8-bit
  // texts are in the Cyrillic code page, which the exporter's fonts name.
  customer_.SetCodePage(1251);
  source_.SetDataSet(&customer_);

  grid_.SetDataSource(&source_);
  grid_.SetTitleFont(TFont("Tahoma", 8, {}, clWindowText));
  for (const TMarletColumn& column : kMarletColumns) {
    TColumn* added = grid_.Columns().Add(column.fieldName);
    if (column.width > 0) added->SetWidth(column.width);
  }

  exporter_.SetDataset(&customer_);
  exporter_.SetWorksheetName("employee");
  exporter_.SetHeaderFont(TFont("Tahoma", 12, {fsBold}, clWhite, RUSSIAN_CHARSET));
  exporter_.SetDetailFont(TFont("Times New Roman", 12, {}, clNone, RUSSIAN_CHARSET));
  exporter_.SetGroupFont(TFont("Arial", 12, {fsBold}, clNone, DEFAULT_CHARSET));
  exporter_.SetHeaderColor(clGreen);
  exporter_.SetDetailColor(clNone);
  exporter_.SetGroupColor(clNone);
  exporter_.SetStartRow(1);
  exporter_.SetStartCol(1);
  exporter_.SetHeaderBorderStyle(BorderStyleSingleThin);
  exporter_.SetDetailBorderStyle(BorderStyleSingleThin);
  exporter_.SetGroupBorderStyle(BorderStyleNone);
  exporter_.SetRowsPerSheet(65535);
  exporter_.SetSetColumnsWidth(true);
  exporter_.SetExportHeader(true);
  exporter_.SetHeaderSource(hsDisplayLabel);
  exporter_.SetAfterHeaderCell([this](TDataToXLS* sender, IXLSRange* cell, int32_t index, TField* field) {
    DataToXLS1AfterHeaderCell(sender, cell, index, field);
  });
  exporter_.SetAfterHeader([this](TDataToXLS* sender, IXLSRange* range) { DataToXLS1AfterHeader(sender, range); });
  exporter_.SetAfterDetailRow(
      [this](TDataToXLS* sender, IXLSRange* range, int32_t row) { DataToXLS1AfterDetailRow(sender, range, row); });
  exporter_.SetAfterExport([this](TDataToXLS* sender, IXLSRange* range) { DataToXLS1AfterExport(sender, range); });
}

void TMarletData::Open(const std::string& databaseFile) {
  customer_.Close();
  if (databaseFile.empty()) {
    if (!OpenDemoDatabase(database_)) throw EDatabaseError("demo database: " + database_.LastError());
  } else {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(databaseFile), error))
      throw EDatabaseError(databaseFile + ": no such database file");
    if (!database_.Open(databaseFile)) throw EDatabaseError(databaseFile + ": " + database_.LastError());
  }
  customer_.Open();
}

void TMarletData::DataToXLS1AfterHeaderCell(TDataToXLS*, IXLSRange* cell, int32_t, TField*) {
  cell->Columns()->Item(0)->SetColumnWidth(TVariant(2));
}

void TMarletData::DataToXLS1AfterHeader(TDataToXLS*, IXLSRange* range) {
  XLSPtr<IXLSBorder> around = BordersOf(range)->Item(xlAround);
  around->SetLineStyle(xlContinuous);
  around->SetWeight(xlMedium);
}

void TMarletData::DataToXLS1AfterDetailRow(TDataToXLS*, IXLSRange* range, int32_t) {
  const double last = customer_.FieldByName("LastInvoiceDate")->AsDateTime();
  TColor fill = kOlderFill;
  TColor text = kOlderText;
  if (last >= BandStart(kRecentSince, 1994)) {
    fill = kRecentFill;
    text = kRecentText;
  } else if (last >= BandStart(kLastYearSince, 1993)) {
    fill = kLastYearFill;
    text = kLastYearText;
  }
  InteriorOf(range)->SetColor(ColorToRGB(fill));
  FontOf(range)->SetColor(ColorToRGB(text));
  XLSPtr<IXLSRange> first = range->Item(1, 1);
  InteriorOf(first.Get())->SetColor(ColorToRGB(kFirstCellFill));
  FontOf(first.Get())->SetColor(ColorToRGB(kFirstCellText));
}

void TMarletData::DataToXLS1AfterExport(TDataToXLS*, IXLSRange* range) {
  XLSPtr<IXLSBorder> around = BordersOf(range)->Item(xlAround);
  around->SetLineStyle(xlContinuous);
  around->SetWeight(xlMedium);
  range->Columns()->AutoFit(true);
}

int32_t TMarletData::ExportCustomers(const std::u16string& fileName) {
  const int32_t result = exporter_.ExportToFile(fileName);
  exporter_.SetWorkbook(nullptr);
  return result;
}

// ---------------------------------------------------------------- command line

const char* const kMarletUsage =
    "usage: marlet                                  show the customers window\n"
    "       marlet --export FILE [--db DATABASE]    export the customers to FILE without a window\n"
    "       marlet --screenshot FILE [--db DATABASE] draw the window into a PNG file\n"
    "The customers come from the built-in demo database unless --db names a SQLite\n"
    "file with a customer table. FILE ending in .htm or .html is written as HTML,\n"
    ".rtf as RTF, anything else (.xls) as an Excel 97-2003 workbook.\n";

int RunMarletExport(const TAppOptions& options, std::ostream& out, std::ostream& err) {
  TMarletData data;
  return RunHeadlessExport(
      "marlet", options.fileName,
      [&] {
        data.Open(options.databaseFile);
        return data.ExportCustomers(Utf8ToUtf16(options.fileName));
      },
      [&] { return std::to_string(data.Customer().RecordCount()) + " customers"; }, out, err);
}

}  // namespace lx

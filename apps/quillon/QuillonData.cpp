#include "QuillonData.h"

#include <filesystem>
#include <ostream>

#include "lxConstants.h"
#include "lxText.h"

namespace lx {

namespace {

void SetGroupFields(TGridToXLS& exporter) {
  exporter.GroupFields().Clear();
  exporter.GroupFields().Add("Terms");
  exporter.GroupFields().Add("PaymentMethod");
}

}  // namespace

TQuillonData::TQuillonData() {
  table_.SetDatabase(&database_);
  table_.SetSQL(kQuillonOrdersSQL);
  source_.SetDataSet(&table_);

  // The grid keeps the window's dialog font for its cells; the titles are
  // bold Arial, which the export takes over as the header row's font.
  grid_.SetDataSource(&source_);
  grid_.SetTitleFont(TFont("Arial", 10, {fsBold}, clBlack));
  for (const TQuillonColumn& column : kQuillonColumns) grid_.Columns().Add(column.fieldName)->SetWidth(column.width);
  // Order numbers read better next to the texts than flush right, and the
  // amount's title stands over its right-aligned figures.
  grid_.Columns()[2]->SetAlignment(taLeftJustify);
  grid_.Columns()[4]->Title().SetAlignment(taRightJustify);

  exporter_.SetDBGrid(&grid_);
  exporter_.SetHeaderFont(TFont("Arial", 10, {fsBold}, clNone));
  exporter_.SetDetailFont(TFont("Arial", 10, {}, clNone));
  exporter_.SetGroupFont(TFont("Arial", 10, {fsBold, fsItalic}, clMaroon));
  exporter_.SetHeaderColor(clNone);
  exporter_.SetDetailColor(clNone);
  exporter_.SetGroupColor(clYellow);
  exporter_.SetHeaderBorderStyle(BorderStyleSingleThin);
  exporter_.SetDetailBorderStyle(BorderStyleSingleThin);
  exporter_.SetGroupBorderStyle(BorderStyleSingleThin);
  SetGroupFields(exporter_);
}

void TQuillonData::Open(const std::string& databaseFile) {
  table_.Close();
  if (databaseFile.empty()) {
    if (!OpenDemoDatabase(database_)) throw EDatabaseError("demo database: " + database_.LastError());
  } else {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(databaseFile), error))
      throw EDatabaseError(databaseFile + ": no such database file");
    if (!database_.Open(databaseFile)) throw EDatabaseError(databaseFile + ": " + database_.LastError());
  }
  table_.Open();
}

int32_t TQuillonData::ExportOrders(const std::u16string& fileName) {
  TFont groupFont = exporter_.GroupFont();  // keeps the designed colour
  groupFont.SetSize(10);
  groupFont.SetName("Arial");
  groupFont.SetStyle({fsBold, fsItalic});
  exporter_.SetGroupFont(groupFont);
  exporter_.SetGroupColor(clSkyBlue);
  exporter_.SetGroupBorderStyle(BorderStyleSingleHair);
  SetGroupFields(exporter_);
  return exporter_.ExportToFile(fileName);
}

// ---------------------------------------------------------------- command line

const char* const kQuillonUsage =
    "usage: quillon                                  show the orders window\n"
    "       quillon --export FILE [--db DATABASE]    export the orders to FILE without a window\n"
    "       quillon --screenshot FILE [--db DATABASE] draw the window into a PNG file\n"
    "The orders come from the built-in demo database unless --db names a SQLite file\n"
    "with an orders table. FILE ending in .htm or .html is written as HTML, .rtf as\n"
    "RTF, anything else (.xls) as an Excel 97-2003 workbook.\n";

int RunQuillonExport(const TQuillonOptions& options, std::ostream& out, std::ostream& err) {
  TQuillonData data;
  return RunHeadlessExport(
      "quillon", options.fileName,
      [&] {
        data.Open(options.databaseFile);
        return data.ExportOrders(Utf8ToUtf16(options.fileName));
      },
      [&] { return std::to_string(data.ADOTable1().RecordCount()) + " orders"; }, out, err);
}

}  // namespace lx

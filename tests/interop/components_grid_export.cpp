// Exports the demo orders grouped by terms and payment method, the way the
// order program does, and saves them as BIFF8 for the xlrd check.
//   components_grid_export <file.xls>
#include <cstdio>
#include <string>

#include "lxDBGrids.h"
#include "lxGridToXLS.h"
#include "lxSQLiteDataSet.h"
#include "lxSysUtils.h"
#include "lxText.h"

int main(int argc, char** argv) {
  using namespace lx;
  if (argc != 2) {
    std::fprintf(stderr, "usage: components_grid_export <file.xls>\n");
    return 2;
  }
  // A fixed locale, so that the date formats in the file are known.
  TFormatSettings locale;
  locale.ShortDateFormat = "dd/MM/yyyy";
  locale.ShortTimeFormat = "hh:nn";
  SetFormatSettings(locale);

  TSQLiteDatabase database;
  if (!OpenDemoDatabase(database)) {
    std::fprintf(stderr, "demo database: %s\n", database.LastError().c_str());
    return 1;
  }
  TSQLiteDataSet orders;
  orders.SetDatabase(&database);
  orders.SetTableName(kDemoOrdersView);
  orders.Open();
  TDataSource source;
  source.SetDataSet(&orders);

  TDBGrid grid;
  grid.SetDataSource(&source);
  grid.SetTitleFont(TFont("Arial", 10, {fsBold}, clBlack));
  grid.Columns().Add("Terms")->SetWidth(111);
  grid.Columns().Add("PaymentMethod")->SetWidth(127);
  TColumn* orderNo = grid.Columns().Add("OrderNo");
  orderNo->SetWidth(137);
  orderNo->SetAlignment(taLeftJustify);
  grid.Columns().Add("SaleDate")->SetWidth(133);
  TColumn* amount = grid.Columns().Add("AmountPaid");
  amount->SetWidth(141);
  amount->Title().SetAlignment(taRightJustify);

  TGridToXLS exporter;
  exporter.SetDBGrid(&grid);
  exporter.SetDetailFont(TFont("Arial", 10, {}, clNone));
  exporter.SetGroupFont(TFont("Arial", 10, {fsBold, fsItalic}, clMaroon));
  exporter.SetGroupColor(clSkyBlue);
  exporter.SetGroupBorderStyle(BorderStyleSingleHair);
  exporter.GroupFields().Clear();
  exporter.GroupFields().Add("Terms");
  exporter.GroupFields().Add("PaymentMethod");
  const int32_t result = exporter.ExportToFile(Utf8ToUtf16(argv[1]));
  std::printf("records %d result %d\n", orders.RecordCount(), result);
  return result == 1 ? 0 : 1;
}

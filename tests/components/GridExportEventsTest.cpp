// The grid export reads its settings, columns, fields, palette and locale
// once per column and again after every event: a change an event handler
// makes applies to the cells written after it, not before.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxGridToXLS.h"
#include "lxSysUtils.h"
#include "support/LocaleGuard.h"

namespace lx {
namespace {

struct TChangeCase {
  const char* name;
  std::function<void(TGridToXLS&, TDBGrid&)> change;
  int32_t column;  // 1-based sheet column looked at
  std::function<std::string(IXLSRange*)> probe;
  std::string before;
  std::string after;
};

TEST(GridExportEvents, ChangesMadeByAnEventApplyToTheCellsAfterIt) {
  TFormatSettings settings;
  settings.ShortDateFormat = "dd/MM/yyyy";
  test::TLocaleGuard locale(settings);
  const std::vector<TChangeCase> cases = {
      {"detail border style", [](TGridToXLS& e, TDBGrid&) { e.SetDetailBorderStyle(BorderStyleSingleThick); }, 2,
       [](IXLSRange* c) { return std::to_string(BordersOf(c)->Item(xlEdgeBottom)->Weight()); }, "2", "4"},
      {"detail colour",
       [](TGridToXLS& e, TDBGrid&) {
         e.SetOriginalDetailColor(false);
         e.SetDetailColor(clYellow);
       },
       1, [](IXLSRange* c) { return std::to_string(InteriorOf(c)->Color()); }, "16777215", "65535"},
      {"column font", [](TGridToXLS&, TDBGrid& g) { g.Columns()[0]->SetFont(TFont("Courier New", 9)); }, 1,
       [](IXLSRange* c) { return Utf16ToUtf8(FontOf(c)->Name()); }, "MS Sans Serif", "Courier New"},
      {"palette", [](TGridToXLS& e, TDBGrid&) { e.Workbook()->SetColors(2, 0x000000); }, 1,
       [](IXLSRange* c) { return std::to_string(InteriorOf(c)->ColorIndex() == 2); }, "1", "0"},
      {"locale",
       [](TGridToXLS&, TDBGrid&) {
         TFormatSettings changed = FormatSettings();
         changed.ShortDateFormat = "yyyy-MM-dd";
         SetFormatSettings(changed);
       },
       2, [](IXLSRange* c) { return Utf16ToUtf8(c->NumberFormat()); }, "dd/MM/yyyy", "yyyy-MM-dd"},
      {"formats disabled", [](TGridToXLS& e, TDBGrid&) { e.SetDisableFormat({foFont}); }, 1,
       [](IXLSRange* c) { return Utf16ToUtf8(FontOf(c)->Name()); }, "MS Sans Serif", "Arial"},
      {"column hidden", [](TGridToXLS&, TDBGrid& g) { g.Columns()[0]->SetVisible(false); }, 1,
       [](IXLSRange* c) { return std::to_string(c->Value().VarType()); }, std::to_string(varOleStr),
       std::to_string(varDate)},
  };
  for (const TChangeCase& test : cases) {
    test::TLocaleGuard restore(settings);
    TMemDataSet data;
    data.AddField("Name", ftString, 10);
    data.AddField("Sale", ftDate)->SetDisplayFormat("");
    data.AddField("Amount", ftCurrency);
    for (int i = 1; i <= 4; ++i)
      data.AppendRecord({"Name " + std::to_string(i), TVariant::FromDate(EncodeDate(2024, 5, i)), i * 1.5});
    data.Open();
    TDataSource source;
    source.SetDataSet(&data);
    TDBGrid grid;
    grid.SetDataSource(&source);
    TGridToXLS exporter;
    exporter.SetDBGrid(&grid);
    exporter.SetAfterDetailRow([&](TGridToXLS*, IXLSRange*, int32_t record) {
      if (record == 2) test.change(exporter, grid);
    });
    exporter.Export();
    IXLSWorksheet* sheet = exporter.Workbook()->Worksheets()->Item(1);
    // Record 1 is on row 2, before the change; record 3 on row 4, after it.
    XLSPtr<IXLSRange> before = sheet->Cells()->Item(2, test.column);
    XLSPtr<IXLSRange> after = sheet->Cells()->Item(4, test.column);
    EXPECT_EQ(test.probe(before.Get()), test.before) << test.name;
    EXPECT_EQ(test.probe(after.Get()), test.after) << test.name;
  }
}

}  // namespace
}  // namespace lx

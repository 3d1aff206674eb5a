// Opens an XLS file with the engine, prints the series references of every
// chart it read (chart sheets and charts in sheet drawings), and saves the
// workbook again as BIFF8. With --move, before the save the sheet named
// "Data" is renamed "Numbers" and a sheet "Front" is put before every other,
// so that each sheet's position changes too.
//
// With --chart-sheet, before the save the first chart found in a sheet's
// drawing is copied, record for record, into a new chart sheet "Graph" put
// second in the sheet order (LibreOffice writes no chart sheets of its own).
//
// Usage: chart_resave IN OUT [--move | --chart-sheet]
// Output: one JSON object per chart:
//   {"sheet": n, "chartSheet": b, "records": k, "series": ["='Data'!$A$1:$A$4", ...], "kept": u}
// where kept counts the linked-data records whose formula did not decode.
// Exit 0 when the open and the save succeed.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "lxCalculator.h"
#include "lxChart.h"
#include "lxConstants.h"
#include "lxDraw.h"
#include "lxDrawingObjects.h"
#include "lxHandle.h"
#include "lxText.h"

using namespace lx;

namespace {

void PrintChart(TXLSWorkbook& book, int32_t sheet, bool chartSheet, const TXLSCustomChart& chart) {
  std::string series;
  int kept = 0;
  for (const auto& item : chart.Items()) {
    if (item->Number() != kRecChartBRAI) continue;
    const auto& area = static_cast<const TXLSChartAreaItem&>(*item);
    if (!area.Formula()) {
      // An empty formula (a literal title or value list) has nothing to decode.
      if (area.Data().size() > 8) ++kept;
      continue;
    }
    const std::string text = WorkbookCalculator(book).GetFormulaText(*area.Formula(), 0, 0);
    series += (series.empty() ? "\"" : ", \"") + text + "\"";
  }
  std::printf("{\"sheet\": %d, \"chartSheet\": %s, \"records\": %d, \"series\": [%s], \"kept\": %d}\n",
              static_cast<int>(sheet), chartSheet ? "true" : "false", static_cast<int>(chart.Items().size()),
              series.c_str(), kept);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: chart_resave IN OUT [--move]\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  int32_t result = book->Open(Utf8ToUtf16(argv[1]));
  if (result != kResultOk) {
    std::fprintf(stderr, "open: %d\n", static_cast<int>(result));
    return 1;
  }
  IXLSWorkSheets& sheets = *book->Worksheets();
  for (int32_t s = 1; s <= sheets.Count(); ++s) {
    IXLSWorksheet& sheet = *sheets.Item(s);
    if (!FindDrawingObjects(sheet)) continue;
    if (const TXLSCustomChart* chart = ChartSheetOf(sheet)) PrintChart(*book, s, true, *chart);
    const TMsoDrawing& drawing = DrawingObjects(sheet).Drawing();
    for (size_t i = 0; i < drawing.Count(); ++i) {
      if (const TXLSCustomChart* chart = drawing.Item(i).Chart()) PrintChart(*book, s, false, *chart);
    }
  }
  if (argc > 3 && std::strcmp(argv[3], "--move") == 0) {
    const int32_t data = sheets.PositionOfIdentifier(sheets.IdentifierOfName(u"Data"));
    if (data < 1) {
      std::fprintf(stderr, "no sheet named Data\n");
      return 1;
    }
    sheets.Item(data)->SetName(u"Numbers");
    sheets.Insert(1)->SetName(u"Front");
  }
  if (argc > 3 && std::strcmp(argv[3], "--chart-sheet") == 0) {
    const TXLSCustomChart* first = nullptr;
    for (int32_t s = 1; s <= sheets.Count() && !first; ++s) {
      if (!FindDrawingObjects(*sheets.Item(s))) continue;
      const TMsoDrawing& drawing = DrawingObjects(*sheets.Item(s)).Drawing();
      for (size_t i = 0; i < drawing.Count() && !first; ++i) first = drawing.Item(i).Chart();
    }
    if (!first) {
      std::fprintf(stderr, "no embedded chart\n");
      return 1;
    }
    auto copy = std::make_unique<TXLSCustomChart>(&WorkbookCalculator(*book), first->Version());
    for (const auto& item : first->Items()) copy->AddRecord(item->Number(), item->Data());
    IXLSWorksheet* graph = sheets.Insert(2);
    graph->SetName(u"Graph");
    DrawingObjects(*graph).SetChartSheet(std::move(copy));
  }
  result = book->SaveAs(Utf8ToUtf16(argv[2]), kSaveBiff8);
  if (result != kResultOk) {
    std::fprintf(stderr, "save BIFF8: %d\n", static_cast<int>(result));
    return 1;
  }
  return 0;
}

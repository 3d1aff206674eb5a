// Charts carried through a read and a save: records come back as read but
// for the series formulas, which are encoded again and follow their sheets;
// chart sheets keep their place among the worksheets; malformed chart
// substreams cost the chart or give the reader's code, never more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../read/RecordStreams.h"
#include "lxCalculator.h"
#include "lxChart.h"
#include "lxDrawingObjects.h"
#include "lxExternSheet.h"
#include "lxHandle.h"
#include "lxStreams.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::TRec;

// Chart substream BOF (BIFF8, type 0x0020).
const char* const kChartBOF = "00 06 20 00 00 00 00 00 00 00 00 00 00 00 00 00";
// Series values =Data!$A$1:$A$3: head (values, worksheet reference), then
// tArea3d of XTI 0, rows 0..2, column 0.
const char* const kValuesArea = "01 02 00 00 00 00  0B 00 3B 00 00 00 00 02 00 00 00 00 00";

std::vector<uint8_t> Record(uint16_t number, const std::vector<uint8_t>& data) { return test::Join({{number, data}}); }

std::vector<uint8_t> Bytes(const TXLSCustomChart& chart) {
  TXLSBlobList list;
  EXPECT_EQ(chart.WriteChart(list), 1);
  return list.Bytes();
}

// A book whose first sheet is "Data" and whose table has the entry of
// Data alone as its first XTI.
XLSPtr<TXLSWorkbook> DataBook() {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add()->SetName(u"Data");
  book->Worksheets()->Add()->SetName(u"Other");
  for (int32_t row = 1; row <= 3; ++row) book->Worksheets()->Item(1)->Cells()->Item(row, 1)->SetValue(TVariant(row));
  EXPECT_GT(book->ExternSheets().FindOrAddSheetNames(u"Data", u"Data"), 0);
  book->ExternSheets().PrepareForSave();
  return book;
}

std::string SeriesText(TXLSWorkbook& book, const TXLSCustomChart& chart) {
  for (const auto& item : chart.Items()) {
    if (item->Number() != kRecChartBRAI) continue;
    const auto* area = static_cast<const TXLSChartAreaItem*>(item.get());
    if (area->Formula()) return WorkbookCalculator(book).GetFormulaText(*area->Formula(), 0, 0);
  }
  return {};
}

TEST(Chart, RecordsComeBackAsReadButForReencodedFormulas) {
  XLSPtr<TXLSWorkbook> book = DataBook();
  struct Case {
    const char* what;
    uint16_t number;
    const char* read;
    const char* written;  // null: as read
    bool decoded;
  };
  const Case cases[] = {
      {"BOF", 0x0809, kChartBOF, nullptr, false},
      {"CHART", 0x1002, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", nullptr, false},
      {"area", kRecChartBRAI, kValuesArea, nullptr, true},
      // tArea3dV: a series takes its cells as a reference.
      {"value-class area", kRecChartBRAI, "01 02 00 00 00 00  0B 00 5B 00 00 00 00 02 00 00 00 00 00", kValuesArea,
       true},
      {"empty formula", kRecChartBRAI, "00 01 00 00 00 00  00 00", nullptr, false},
      // A token the engine does not take, and a length past the record:
      // both kept as read rather than emptied.
      {"unknown token", kRecChartBRAI, "01 02 00 00 00 00  03 00 FF FF FF", nullptr, false},
      {"cut short", kRecChartBRAI, "01 02 00 00 00 00  14 00 3B 00", nullptr, false},
      {"short head", kRecChartBRAI, "01 02 00", nullptr, false},
      {"SERIESTEXT", 0x100D, "00 00 03 00 41 42 43", nullptr, false},
      {"CONTINUE", 0x003C, "01 02 03", nullptr, false},
      {"empty CONTINUE", 0x003C, "", nullptr, false},
      {"EOF", 0x000A, "", nullptr, false},
  };
  TXLSCustomChart chart(&WorkbookCalculator(*book), 0x0600);
  std::vector<uint8_t> expected;
  for (const Case& c : cases) {
    chart.AddRecord(c.number, Hex(c.read));
    const std::vector<uint8_t> written = Record(c.number, Hex(c.written ? c.written : c.read));
    expected.insert(expected.end(), written.begin(), written.end());
  }
  ASSERT_EQ(chart.Items().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto* area = dynamic_cast<const TXLSChartAreaItem*>(chart.Items()[i].get());
    EXPECT_EQ(area != nullptr, cases[i].number == kRecChartBRAI) << cases[i].what;
    EXPECT_EQ(area && area->Formula(), cases[i].decoded) << cases[i].what;
  }
  EXPECT_TRUE(chart.Sound());
  EXPECT_EQ(SeriesText(*book, chart), "='Data'!$A$1:$A$3");
  EXPECT_EQ(Bytes(chart), expected);

  // A BIFF5 chart's references stay as bytes; a BIFF5 save writes them so.
  TXLSCustomChart old(&WorkbookCalculator(*book), 0x0500);
  old.AddRecord(kRecChartBRAI, Hex(kValuesArea));
  EXPECT_EQ(SeriesText(*book, old), "");
  EXPECT_EQ(Bytes(old), Record(kRecChartBRAI, Hex(kValuesArea)));
}

// A chart sheet between two worksheets, through two saves and opens: the
// sheet stays a chart in its place, and its series follow the source sheet
// when it is renamed and another sheet is put before it.
TEST(Chart, ChartSheetKeepsItsPlaceAndItsSeriesFollowTheirSheet) {
  XLSPtr<TXLSWorkbook> book = DataBook();
  IXLSWorksheet* graph = book->Worksheets()->Insert(2);
  graph->SetName(u"Graph");
  auto chart = std::make_unique<TXLSCustomChart>(&WorkbookCalculator(*book), 0x0600);
  for (const auto& [number, data] : std::vector<TRec>{{0x0809, Hex(kChartBOF)},
                                                      {kRecChartBRAI, Hex(kValuesArea)},
                                                      {kRecChartBRAI, Hex("01 02 00 00 00 00  03 00 FF FF FF")},
                                                      {0x000A, {}}})
    chart->AddRecord(number, data);
  DrawingObjects(*graph).SetChartSheet(std::move(chart));
  // A chart sheet of a BIFF5 file: its records are not BIFF8 records, so a
  // BIFF8 save writes the sheet as a worksheet.
  auto old5 = std::make_unique<TXLSCustomChart>(&WorkbookCalculator(*book), 0x0500);
  old5->AddRecord(0x0809, Hex("00 05 20 00 00 00 00 00"));
  old5->AddRecord(0x000A, {});
  IXLSWorksheet* biff5Chart = book->Worksheets()->Add();
  biff5Chart->SetName(u"Old");
  DrawingObjects(*biff5Chart).SetChartSheet(std::move(old5));

  auto saveAndOpen = [](TXLSWorkbook& from, int32_t format) {
    TMemoryStream stream;
    EXPECT_EQ(from.SaveAs(stream, format), 1);
    TMemoryStream saved(stream.Bytes());
    XLSPtr<TXLSWorkbook> read = CreateXLSWorkbook();
    EXPECT_EQ(read->Open(saved), 1);
    return read;
  };
  auto layout = [](TXLSWorkbook& b) {
    std::u16string names;
    for (int32_t i = 1; i <= b.Worksheets()->Count(); ++i) {
      const IXLSWorksheet& sheet = *b.Worksheets()->Item(i);
      names += sheet.Name() + (ChartSheetOf(sheet) ? u"(chart) " : u" ");
    }
    return names;
  };

  XLSPtr<TXLSWorkbook> first = saveAndOpen(*book, kSaveBiff8);
  EXPECT_EQ(layout(*first), u"Data Graph(chart) Other Old ");
  ASSERT_NE(ChartSheetOf(*first->Worksheets()->Item(2)), nullptr);
  EXPECT_EQ(SeriesText(*first, *ChartSheetOf(*first->Worksheets()->Item(2))), "='Data'!$A$1:$A$3");
  EXPECT_DOUBLE_EQ(first->Worksheets()->Item(1)->Cells()->Item(3, 1)->Value().ToDouble(), 3.0);

  first->Worksheets()->Item(1)->SetName(u"Numbers");
  first->Worksheets()->Insert(1)->SetName(u"Front");
  XLSPtr<TXLSWorkbook> second = saveAndOpen(*first, kSaveBiff8);
  EXPECT_EQ(layout(*second), u"Front Numbers Graph(chart) Other Old ");
  const TXLSCustomChart* kept = ChartSheetOf(*second->Worksheets()->Item(3));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(SeriesText(*second, *kept), "='Numbers'!$A$1:$A$3");
  // The series that did not decode comes back with its bytes.
  ASSERT_EQ(kept->Items().size(), 4u);
  EXPECT_EQ(kept->Items()[2]->Data(), Hex("01 02 00 00 00 00  03 00 FF FF FF"));

  // BIFF5 has no place for the BIFF8 chart: the sheet stays, as a worksheet.
  XLSPtr<TXLSWorkbook> old = saveAndOpen(*second, kSaveBiff5);
  EXPECT_EQ(layout(*old), u"Front Numbers Graph Other Old ");
}

TEST(Chart, MalformedChartSubstreamsCostTheChartOrGiveTheReadersCode) {
  const std::vector<TRec> globals = {
      {0x0809, Hex("00 06 05 00 00 00 00 00 00 00 00 00 00 00 00 00")},
      {0x0085, Hex("00 00 00 00 00 00 05 00 53 68 65 65 74")},
      {0x0085, Hex("00 00 00 00 00 02 05 00 43 68 61 72 74")},
      {0x000A, {}},
      {0x0809, Hex("00 06 10 00 00 00 00 00 00 00 00 00 00 00 00 00")},
      {0x000A, {}},
  };
  const TRec bof{0x0809, Hex(kChartBOF)};
  const TRec eof{0x000A, {}};
  const TRec area{kRecChartBRAI, Hex(kValuesArea)};
  struct Case {
    const char* what;
    std::vector<TRec> chart;
    int32_t result;
    size_t items;  // 0: no chart kept
  };
  const std::vector<Case> cases = {
      {"sound", {bof, area, eof}, 1, 3},
      {"long and empty CONTINUE", {bof, area, {0x003C, std::vector<uint8_t>(8224, 7)}, {0x003C, {}}, eof}, 1, 5},
      {"CONTINUE past the record limit", {bof, area, {0x003C, std::vector<uint8_t>(65535, 7)}, eof}, 1, 0},
      {"nested BOF", {bof, area, bof, area, eof, area, eof}, 1, 0},
      {"no EOF", {bof, area}, 100, 0},
      {"BOF only", {bof}, 100, 0},
  };
  for (const Case& c : cases) {
    std::vector<TRec> records = globals;
    records.insert(records.end(), c.chart.begin(), c.chart.end());
    TMemoryStream stream(test::Join(records));
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    EXPECT_EQ(book->Open(stream), c.result) << c.what;
    if (c.result != 1) continue;
    ASSERT_EQ(book->Worksheets()->Count(), 2) << c.what;
    const TXLSCustomChart* chart = ChartSheetOf(*book->Worksheets()->Item(2));
    EXPECT_EQ(chart ? chart->Items().size() : 0u, c.items) << c.what;
  }
  // A chart in a worksheet without its EOF: the sheet's EOF closes it.
  std::vector<TRec> embedded = globals;
  embedded.pop_back();
  embedded.insert(embedded.end(), {bof, area, eof});
  TMemoryStream stream(test::Join(embedded));
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  EXPECT_EQ(book->Open(stream), 100);
}

}  // namespace
}  // namespace lx

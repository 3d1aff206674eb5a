// The dataset export component where it differs from the grid export:
// header texts, hidden fields with their event indexes, no borders by
// default, header cells without number formats, group fields by name, a
// workbook handed in, and the character sets of its fonts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lxDB.h"
#include "lxDataToXLS.h"
#include "lxText.h"

namespace lx {
namespace {

std::u16string Text(IXLSWorksheet* sheet, int32_t row, int32_t column) {
  return sheet->Cells()->Item(row, column)->Value().ToWide();
}

bool Blank(IXLSWorksheet* sheet, int32_t row, int32_t column) {
  const TVariant value = sheet->Cells()->Item(row, column)->Value();
  return value.IsNull() || value.IsEmpty();
}

int32_t Line(IXLSWorksheet* sheet, int32_t row, int32_t column, int32_t edge) {
  XLSPtr<IXLSRange> cell = sheet->Cells()->Item(row, column);
  return BordersOf(cell.Get())->Item(edge)->LineStyle();
}

std::string Name(IXLSRange* r) {
  return Utf16ToUtf8(RangeName(r->FirstRow(), r->FirstColumn(), r->LastRow(), r->LastColumn()));
}

class DataExport : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddField("Terms", ftString, 10)->SetDisplayLabel("Payment terms");
    data_.AddField("Method", ftString, 7);
    data_.AddField("Amount", ftCurrency)->SetDisplayWidth(12);
    export_.SetDataset(&data_);
  }
  void Rows(std::initializer_list<std::pair<const char*, const char*>> rows) {
    double amount = 10;
    for (const auto& [terms, method] : rows) data_.AppendRecord({terms, method, amount++});
    data_.Open();
  }
  IXLSWorksheet* Sheet(int32_t position) { return export_.Workbook()->Worksheets()->Item(position); }

  TMemDataSet data_;
  TDataToXLS export_;
};

TEST_F(DataExport, NewComponentDrawsNoBordersAndCentresHeaderCellsWithoutNumberFormat) {
  Rows({{"Net 30", "Cash"}, {"COD", "Check"}});
  EXPECT_EQ(export_.HeaderSource(), hsDisplayLabel);
  EXPECT_FALSE(export_.VisibleFieldsOnly());
  export_.SetDetailColor(clYellow);  // stored, not applied
  export_.SetHeaderColor(clGreen);
  export_.Export();
  IXLSWorksheet* sheet = Sheet(1);
  for (int32_t row = 1; row <= 3; ++row)
    for (int32_t column = 1; column <= 3; ++column)
      for (int32_t edge : {xlEdgeTop, xlEdgeBottom, xlEdgeLeft, xlEdgeRight})
        EXPECT_EQ(Line(sheet, row, column, edge), xlNone) << row << "," << column << " edge " << edge;
  XLSPtr<IXLSRange> amountTitle = sheet->Cells()->Item(1, 3);
  EXPECT_EQ(amountTitle->NumberFormat(), u"General");
  EXPECT_EQ(amountTitle->HorizontalAlignment(), xlHAlignCenter) << "a number field's title is centred too";
  EXPECT_EQ(amountTitle->VerticalAlignment(), xlVAlignCenter);
  EXPECT_TRUE(FontOf(amountTitle.Get())->Bold());
  EXPECT_EQ(InteriorOf(amountTitle.Get())->Color(), 0x008000u);
  XLSPtr<IXLSRange> amount = sheet->Cells()->Item(2, 3);
  EXPECT_EQ(amount->NumberFormat(), u"#,##0.00");
  EXPECT_EQ(amount->HorizontalAlignment(), xlHAlignRight) << "the field's own alignment";
  EXPECT_EQ(InteriorOf(amount.Get())->ColorIndex(), xlNone);
  // Widths are the fields' display widths in characters.
  EXPECT_NEAR(sheet->Cells()->Item(1, 1)->ColumnWidth().ToDouble(), 10, 0.01);
  EXPECT_NEAR(amountTitle->ColumnWidth().ToDouble(), 12, 0.01);

  // Once set, the border styles are those of the grid export.
  export_.ReleaseWorkbook();
  export_.SetHeaderBorderStyle(BorderStyleSingleThin);
  export_.SetDetailBorderStyle(BorderStyleDouble);
  export_.Export();
  EXPECT_EQ(Line(Sheet(1), 1, 2, xlEdgeLeft), xlContinuous);
  EXPECT_EQ(Line(Sheet(1), 3, 2, xlEdgeBottom), xlDouble);
}

TEST_F(DataExport, HeaderSourceChoosesTheTextButNotTheFormatting) {
  Rows({{"Net 30", "Cash"}});
  struct TCase {
    THeaderSource source;
    const char16_t* first;
  };
  for (const TCase& test :
       {TCase{hsFieldName, u"Terms"}, TCase{hsDisplayLabel, u"Payment terms"}, TCase{hsEmpty, u""}}) {
    TDataToXLS exporter;
    exporter.SetDataset(&data_);
    exporter.SetHeaderSource(test.source);
    exporter.SetHeaderBorderStyle(BorderStyleSingleThick);
    exporter.SetHeaderColor(clSilver);
    exporter.Export();
    IXLSWorksheet* sheet = exporter.Workbook()->Worksheets()->Item(1);
    EXPECT_EQ(Text(sheet, 1, 1), test.first) << test.source;
    EXPECT_EQ(Text(sheet, 1, 2), test.source == hsEmpty ? u"" : u"Method") << test.source;
    if (test.source == hsEmpty) {
      EXPECT_TRUE(Blank(sheet, 1, 2));
    }
    XLSPtr<IXLSRange> cell = sheet->Cells()->Item(1, 2);
    EXPECT_TRUE(FontOf(cell.Get())->Bold()) << test.source;
    EXPECT_EQ(InteriorOf(cell.Get())->Color(), 0xC0C0C0u) << test.source;
    EXPECT_EQ(BordersOf(cell.Get())->Item(xlEdgeBottom)->Weight(), xlThick) << test.source;
    EXPECT_EQ(Text(sheet, 2, 1), u"Net 30");
  }
}

TEST_F(DataExport, VisibleFieldsOnlySkipsHiddenFieldsWhileEventsCountAllFields) {
  data_.Fields(1)->SetVisible(false);
  Rows({{"Net 30", "Cash"}, {"COD", "Check"}});
  for (bool visibleOnly : {true, false}) {
    TDataToXLS exporter;
    exporter.SetDataset(&data_);
    exporter.SetVisibleFieldsOnly(visibleOnly);
    std::vector<int32_t> header;
    std::vector<std::pair<int32_t, int32_t>> details;  // record, field index
    std::vector<std::string> ranges;
    exporter.SetAfterHeaderCell([&](TDataToXLS*, IXLSRange*, int32_t index, TField* field) {
      EXPECT_EQ(field->Index(), index);
      header.push_back(index);
    });
    exporter.SetAfterDetailCell([&](TDataToXLS*, IXLSRange* cell, int32_t row, int32_t index, TField* field) {
      EXPECT_EQ(field->Index(), index);
      EXPECT_EQ(cell->Row(), row + 1);
      details.emplace_back(row, index);
    });
    exporter.SetAfterDetailRow([&](TDataToXLS*, IXLSRange* r, int32_t) { ranges.push_back("row " + Name(r)); });
    exporter.SetAfterExport([&](TDataToXLS*, IXLSRange* r) { ranges.push_back("export " + Name(r)); });
    exporter.Export();
    IXLSWorksheet* sheet = exporter.Workbook()->Worksheets()->Item(1);
    if (visibleOnly) {
      EXPECT_EQ(header, (std::vector<int32_t>{0, 2}));
      EXPECT_EQ(details, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {1, 2}, {2, 0}, {2, 2}}));
      EXPECT_EQ(ranges, (std::vector<std::string>{"row A2:B2", "row A3:B3", "export A1:B3"}));
      EXPECT_EQ(Text(sheet, 1, 2), u"Amount");
      EXPECT_EQ(sheet->Cells()->Item(3, 2)->Value().ToDouble(), 11);
      EXPECT_TRUE(Blank(sheet, 1, 3));
    } else {
      EXPECT_EQ(header, (std::vector<int32_t>{0, 1, 2}));
      EXPECT_EQ(Text(sheet, 3, 2), u"Check");
      EXPECT_EQ(ranges.back(), "export A1:C3");
    }
  }
}

TEST_F(DataExport, GroupFieldsAreFoundByNameAndLeftEmptyInDetails) {
  Rows({{"Net 30", "Cash"}, {"Net 30", "Check"}, {"COD", "Check"}});
  export_.GroupFields().Add("TERMS");
  export_.GroupFields().Add("NoSuchField");
  std::vector<std::pair<int32_t, int32_t>> titles;  // group, row
  export_.SetAfterGroupTitle([&](TDataToXLS*, int32_t group, IXLSRange* row, IXLSRange* cell) {
    titles.emplace_back(group, cell->Row());
    EXPECT_EQ(Name(row), "A" + std::to_string(cell->Row()) + ":C" + std::to_string(cell->Row()));
  });
  export_.Export();
  IXLSWorksheet* sheet = Sheet(1);
  EXPECT_EQ(titles, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {0, 5}}));
  EXPECT_EQ(Text(sheet, 2, 1), u"Net 30");
  EXPECT_TRUE(Blank(sheet, 3, 1));
  EXPECT_EQ(Text(sheet, 4, 2), u"Check");
  EXPECT_EQ(Text(sheet, 5, 1), u"COD");
  EXPECT_EQ(sheet->Cells()->Rows()->Item(6)->OutlineLevel(), 2);
}

TEST_F(DataExport, HandedInWorkbookIsAppendedToAndOutlivesTheComponent) {
  Rows({{"Net 30", "Cash"}});
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* own = book->Worksheets()->Add();
  own->SetName(u"Own");
  own->Cells()->Item(1, 1)->SetValue(TVariant(u"kept"));
  own->Cells()->Item(3, 2)->SetValue(TVariant(1.0));
  {
    TDataToXLS exporter;
    exporter.SetDataset(&data_);
    exporter.Export();  // a workbook of its own, forgotten below
    exporter.SetWorkbook(book.Get());
    EXPECT_EQ(exporter.Workbook(), book.Get());
    exporter.SetStartRow(1);
    exporter.Export(false);
    // Used block rows 1..3: one row below it plus StartRow 1 is origin row
    // 4, the header on row 5.
    EXPECT_EQ(book->Worksheets()->Count(), 1);
    EXPECT_EQ(Text(own, 1, 1), u"kept");
    EXPECT_EQ(Text(own, 5, 1), u"Payment terms");
    EXPECT_EQ(Text(own, 6, 1), u"Net 30");
    exporter.Export(true);
    EXPECT_EQ(book->Worksheets()->Count(), 2);
    EXPECT_EQ(Text(book->Worksheets()->Item(2), 3, 1), u"Net 30") << "StartRow 1 on a new sheet";
    exporter.SetWorkbook(nullptr);
    EXPECT_EQ(exporter.Workbook(), nullptr);
  }
  EXPECT_EQ(Text(own, 6, 1), u"Net 30");
}

TEST_F(DataExport, CyrillicTextsSurviveTheFontCharacterSets) {
  TMemDataSet data;
  data.SetCodePage(1251);
  data.AddField("Company", ftWideString, 40)->SetDisplayLabel("\xCA\xEE\xEC\xEF\xE0\xED\xE8\xFF");  // cp1251
  data.AppendRecord({TVariant(u"ЗАО \"Дельфин Плюс\"")});
  data.Open();
  struct TCase {
    uint8_t charset;
    bool survives;
  };
  for (const TCase& test : {TCase{RUSSIAN_CHARSET, true}, TCase{ANSI_CHARSET, false}}) {
    TDataToXLS exporter;
    exporter.SetDataset(&data);
    exporter.SetHeaderFont(TFont("Tahoma", 12, {fsBold}, clWhite, test.charset));
    exporter.SetDetailFont(TFont("Times New Roman", 12, {}, clNone, test.charset));
    exporter.Export();
    IXLSWorksheet* sheet = exporter.Workbook()->Worksheets()->Item(1);
    EXPECT_EQ(Text(sheet, 1, 1) == u"Компания", test.survives) << int(test.charset);
    EXPECT_EQ(Text(sheet, 2, 1) == u"ЗАО \"Дельфин Плюс\"", test.survives) << int(test.charset);
    XLSPtr<IXLSRange> cell = sheet->Cells()->Item(2, 1);
    EXPECT_EQ(FontOf(cell.Get())->Name(), u"Times New Roman");
    EXPECT_EQ(FontOf(cell.Get())->Charset(), test.charset);
  }
}

TEST_F(DataExport, SilentAbortLeavesNoWorkbookAndAFinishedExportIsSaved) {
  Rows({{"Net 30", "Cash"}, {"COD", "Check"}});
  const auto dir = std::filesystem::temp_directory_path() / "lx_data_export";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  export_.SetAfterDetailRow([](TDataToXLS*, IXLSRange*, int32_t row) {
    if (row == 2) Abort();
  });
  EXPECT_EQ(export_.ExportToFile(Utf8ToUtf16((dir / "aborted.xls").string())), kResultAborted);
  EXPECT_EQ(export_.Workbook(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir / "aborted.xls"));
  EXPECT_FALSE(data_.ControlsDisabled());
  export_.SetAfterDetailRow({});
  EXPECT_EQ(export_.ExportToFile(Utf8ToUtf16((dir / "done.xls").string())), kResultOk);
  std::ifstream in(dir / "done.xls", std::ios::binary);
  char magic[4] = {};
  in.read(magic, 4);
  EXPECT_EQ(std::string(magic, 4), "\xD0\xCF\x11\xE0");
  in.close();
  std::filesystem::remove_all(dir);
}

TEST_F(DataExport, ForgetsADatasetThatIsDestroyed) {
  auto data = std::make_unique<TMemDataSet>();
  TDataToXLS component;
  component.SetDataset(data.get());
  data.reset();
  EXPECT_EQ(component.Dataset(), nullptr);
  component.Export();  // a header of no fields, no records
  EXPECT_EQ(component.Workbook()->Worksheets()->Count(), 1);
}

}  // namespace
}  // namespace lx

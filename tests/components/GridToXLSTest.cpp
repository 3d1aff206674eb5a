// The grid export component over an in-memory dataset: columns, header,
// details, groups, sheet splitting, number formats, events and saving.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxGridToXLS.h"
#include "lxSysUtils.h"
#include "support/LocaleGuard.h"

namespace lx {
namespace {

using test::TLocaleGuard;

std::u16string Text(IXLSWorksheet* sheet, int32_t row, int32_t column) {
  return sheet->Cells()->Item(row, column)->Value().ToWide();
}

// No value: a missing cell reads null, a formatted blank one empty.
bool Blank(IXLSWorksheet* sheet, int32_t row, int32_t column) {
  const TVariant value = sheet->Cells()->Item(row, column)->Value();
  return value.IsNull() || value.IsEmpty();
}

int32_t Level(IXLSWorksheet* sheet, int32_t row) { return sheet->Cells()->Rows()->Item(row)->OutlineLevel(); }

// Orders grouped by terms and payment method, in group order.
class GridExport : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddField("Terms", ftString, 10);
    data_.AddField("PaymentMethod", ftString, 7);
    data_.AddField("OrderNo", ftInteger);
    source_.SetDataSet(&data_);
    grid_.SetDataSource(&source_);
    export_.SetDBGrid(&grid_);
  }
  void Orders(std::initializer_list<std::pair<TVariant, TVariant>> rows) {
    int order = 1001;
    for (const auto& [terms, method] : rows) data_.AppendRecord({terms, method, order++});
    data_.Open();
  }
  void Numbered(int count) {
    for (int i = 0; i < count; ++i) data_.AppendRecord({"T", "M", 1001 + i});
    data_.Open();
  }
  IXLSWorksheet* Sheet(int32_t position) { return export_.Workbook()->Worksheets()->Item(position); }

  TMemDataSet data_;
  TDataSource source_;
  TDBGrid grid_;
  TGridToXLS export_;
};

TEST_F(GridExport, DefaultsAndRowBudgetRule) {
  EXPECT_EQ(export_.HeaderFont().Name(), "Arial");
  EXPECT_TRUE(export_.HeaderFont().Style().Contains(fsBold));
  EXPECT_EQ(export_.GroupFont().Size(), 12);
  EXPECT_EQ(export_.DetailFont().Color(), clNone);
  EXPECT_EQ(export_.HeaderBorderStyle(), BorderStyleSingleThin);
  EXPECT_EQ(export_.GroupBorderStyle(), BorderStyleNone);
  EXPECT_EQ(export_.RowsPerSheet(), 65535);
  EXPECT_TRUE(export_.ClearGroupFields());
  EXPECT_TRUE(export_.DisableFormat().Empty());
  export_.SetRowsPerSheet(1);
  EXPECT_EQ(export_.RowsPerSheet(), 65535);
  export_.SetRowsPerSheet(65536);
  EXPECT_EQ(export_.RowsPerSheet(), 65535);
  export_.SetRowsPerSheet(2);
  EXPECT_EQ(export_.RowsPerSheet(), 2);
  export_.SetStartRow(5);
  export_.SetRowsPerSheet(6);
  EXPECT_EQ(export_.RowsPerSheet(), 2);
  export_.SetRowsPerSheet(7);
  EXPECT_EQ(export_.RowsPerSheet(), 7);
  // The setters copy.
  TFont font("Courier New", 9);
  export_.SetGroupFont(font);
  font.SetSize(20);
  EXPECT_EQ(export_.GroupFont().Size(), 9);
}

TEST_F(GridExport, HiddenColumnsAreSkippedAndEventsGetGridIndexes) {
  grid_.Columns().Add("Terms");
  grid_.Columns().Add("PaymentMethod")->SetVisible(false);
  grid_.Columns().Add("OrderNo");
  Orders({{"Net 30", "Cash"}, {"COD", "Check"}});
  std::vector<int32_t> headerIndexes;
  std::vector<std::pair<int32_t, int32_t>> detailIndexes;
  std::vector<std::string> ranges;
  export_.SetAfterHeaderCell([&](TGridToXLS*, IXLSRange* cell, int32_t index, TColumn* column) {
    headerIndexes.push_back(index);
    EXPECT_EQ(column->Index(), index);
    EXPECT_EQ(cell->Row(), 1);
  });
  export_.SetAfterDetailCell(
      [&](TGridToXLS*, IXLSRange*, int32_t row, int32_t index, TColumn*) { detailIndexes.emplace_back(row, index); });
  auto name = [&](const char* what) {
    return [&ranges, what](TGridToXLS*, IXLSRange* r, auto...) {
      ranges.push_back(std::string(what) + " " +
                       Utf16ToUtf8(RangeName(r->FirstRow(), r->FirstColumn(), r->LastRow(), r->LastColumn())));
    };
  };
  export_.SetAfterHeader(name("header"));
  export_.SetAfterDetailRow(name("row"));
  export_.SetAfterDetail(name("detail"));
  export_.SetAfterExport(name("export"));
  data_.Next();  // the cursor comes back here afterwards
  export_.Export();
  IXLSWorksheet* sheet = Sheet(1);
  EXPECT_EQ(sheet->Name(), u"Sheet1");
  EXPECT_EQ(Text(sheet, 1, 1), u"Terms");
  EXPECT_EQ(Text(sheet, 1, 2), u"OrderNo");
  EXPECT_EQ(Text(sheet, 1, 3), u"");
  EXPECT_EQ(Text(sheet, 3, 1), u"COD");
  EXPECT_EQ(sheet->Cells()->Item(3, 2)->Value().ToInt32(), 1002);
  EXPECT_EQ(headerIndexes, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(detailIndexes, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {1, 2}, {2, 0}, {2, 2}}));
  EXPECT_EQ(ranges,
            (std::vector<std::string>{"header A1:B1", "row A2:B2", "row A3:B3", "detail A2:B3", "export A1:B3"}));
  EXPECT_EQ(data_.RecNo(), 2);
  EXPECT_FALSE(data_.ControlsDisabled());
}

TEST_F(GridExport, HeaderCellsCarryFontBordersAndTextFormat) {
  grid_.Columns().Add("Terms")->Title().SetAlignment(taRightJustify);
  Orders({{"Net 30", "Cash"}});
  export_.SetOriginalHeaderFont(false);
  export_.SetOriginalHeaderColor(false);
  export_.SetHeaderColor(clYellow);
  export_.SetHeaderBorderColor(clRed);
  export_.Export();
  XLSPtr<IXLSRange> cell = Sheet(1)->Cells()->Item(1, 1);
  EXPECT_EQ(FontOf(cell.Get())->Name(), u"Arial");
  EXPECT_TRUE(FontOf(cell.Get())->Bold());
  EXPECT_EQ(cell->NumberFormat(), u"@");
  EXPECT_EQ(cell->HorizontalAlignment(), -4152);
  EXPECT_EQ(cell->VerticalAlignment(), -4108);
  EXPECT_EQ(InteriorOf(cell.Get())->Color(), 0x00FFFFu);
  XLSPtr<IXLSBorder> bottom = BordersOf(cell.Get())->Item(xlEdgeBottom);
  EXPECT_EQ(bottom->LineStyle(), 1);
  EXPECT_EQ(bottom->Weight(), 2);
  EXPECT_EQ(bottom->Color(), 0x0000FFu);
  // The detail cell below sees the header's bottom line as its top edge.
  XLSPtr<IXLSRange> detail = Sheet(1)->Cells()->Item(2, 1);
  EXPECT_EQ(BordersOf(detail.Get())->Item(xlEdgeTop)->LineStyle(), 1);
  EXPECT_EQ(BordersOf(detail.Get())->Item(xlEdgeBottom)->LineStyle(), 1);
  // Column widths come from the grid's pixels.
  EXPECT_NEAR(cell->ColumnWidth().ToDouble(), grid_.Columns()[0]->Width() * 0.1433, 0.01);
}

TEST_F(GridExport, WithoutHeaderTheFirstRecordTakesRowOne) {
  Orders({{"Net 30", "Cash"}, {"COD", "Check"}});
  export_.SetExportHeader(false);
  int headers = 0;
  export_.SetAfterHeader([&](TGridToXLS*, IXLSRange*) { ++headers; });
  std::string exported;
  export_.SetAfterExport([&](TGridToXLS*, IXLSRange* r) {
    exported = Utf16ToUtf8(RangeName(r->FirstRow(), r->FirstColumn(), r->LastRow(), r->LastColumn()));
  });
  export_.Export();
  EXPECT_EQ(Text(Sheet(1), 1, 1), u"Net 30");
  EXPECT_EQ(Text(Sheet(1), 2, 1), u"COD");
  EXPECT_EQ(headers, 0);
  EXPECT_EQ(exported, "A1:C2");
}

TEST_F(GridExport, RowsPerSheetSplitsAndRepeatsTheHeader) {
  Numbered(12);
  export_.SetRowsPerSheet(10);
  std::vector<std::u16string> created;
  export_.SetOnWorksheetCreate([&](TGridToXLS*, IXLSWorksheet* sheet) { created.push_back(sheet->Name()); });
  export_.Export();
  ASSERT_EQ(export_.Workbook()->Worksheets()->Count(), 2);
  EXPECT_EQ(created, (std::vector<std::u16string>{u"Sheet1", u"Sheet2"}));
  IXLSWorksheet* first = Sheet(1);
  EXPECT_EQ(first->Cells()->Item(10, 3)->Value().ToInt32(), 1009);
  EXPECT_TRUE(Blank(first, 11, 3));
  IXLSWorksheet* second = Sheet(2);
  EXPECT_EQ(Text(second, 1, 3), u"OrderNo");
  EXPECT_EQ(second->Cells()->Item(2, 3)->Value().ToInt32(), 1010);
  EXPECT_EQ(second->Cells()->Item(4, 3)->Value().ToInt32(), 1012);
}

TEST_F(GridExport, GroupTitlesCountAsRowsAndRepeatOnTheNewSheet) {
  Orders({{"A", "x"}, {"A", "x"}, {"A", "y"}, {"A", "y"}, {"A", "y"}});
  export_.GroupFields().Add("Terms");
  export_.GroupFields().Add("PaymentMethod");
  export_.SetRowsPerSheet(6);
  export_.Export();
  IXLSWorksheet* first = Sheet(1);
  // 1 header, 2 A, 3 x, 4-5 details, 6 y, 7 detail (the titles of a record
  // go before its detail row), then the split.
  EXPECT_EQ(Text(first, 2, 1), u"A");
  EXPECT_EQ(Text(first, 3, 2), u"x");
  EXPECT_EQ(first->Cells()->Item(5, 3)->Value().ToInt32(), 1002);
  EXPECT_EQ(Text(first, 6, 2), u"y");
  EXPECT_EQ(first->Cells()->Item(7, 3)->Value().ToInt32(), 1003);
  IXLSWorksheet* second = Sheet(2);
  EXPECT_EQ(Text(second, 1, 1), u"Terms");
  EXPECT_EQ(Text(second, 2, 1), u"A");
  EXPECT_EQ(Text(second, 3, 2), u"y");
  EXPECT_EQ(second->Cells()->Item(4, 3)->Value().ToInt32(), 1004);
  EXPECT_EQ(Level(second, 2), 1);
  EXPECT_EQ(Level(second, 3), 2);
  EXPECT_EQ(Level(second, 4), 3);
}

TEST_F(GridExport, TitlesThatWouldLeaveTheSheetStartANewOne) {
  // Header on row 65528, three rows per record from 65529 on: the third
  // record's titles would take 65535 and 65536 and push its detail row off
  // the sheet.
  Orders({{"A", "x"}, {"B", "x"}, {"C", "x"}, {"D", "x"}});
  export_.GroupFields().Add("Terms");
  export_.GroupFields().Add("PaymentMethod");
  export_.SetStartRow(65527);
  ASSERT_NO_THROW(export_.Export());
  IXLSWorksheet* first = Sheet(1);
  EXPECT_EQ(first->Cells()->Item(65534, 3)->Value().ToInt32(), 1002);
  EXPECT_TRUE(Blank(first, 65535, 1));
  IXLSWorksheet* second = Sheet(2);
  EXPECT_EQ(Text(second, 65529, 1), u"C");
  EXPECT_EQ(second->Cells()->Item(65531, 3)->Value().ToInt32(), 1003);
}

TEST_F(GridExport, OuterChangeRepeatsInnerTitles) {
  Orders({{"Net 30", "Cash"}, {"Net 30", "Cash"}, {"Net 30", "Check"}, {"COD", "Check"}});
  export_.GroupFields().Add(" terms ");
  export_.GroupFields().Add("PAYMENTMETHOD");
  export_.GroupFields().Add("NoSuchColumn");
  std::vector<std::pair<int32_t, int32_t>> titles;  // group, row
  export_.SetAfterGroupTitle([&](TGridToXLS*, int32_t group, IXLSRange* row, IXLSRange* cell) {
    titles.emplace_back(group, cell->Row());
    EXPECT_EQ(row->LastColumn(), 2);  // the title row reaches the last exported column
  });
  export_.Export();
  IXLSWorksheet* sheet = Sheet(1);
  EXPECT_EQ(titles, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {1, 3}, {1, 6}, {0, 8}, {1, 9}}));
  EXPECT_EQ(Text(sheet, 2, 1), u"Net 30");
  EXPECT_EQ(Text(sheet, 3, 2), u"Cash");
  EXPECT_EQ(Text(sheet, 9, 2), u"Check");
  EXPECT_EQ(sheet->Cells()->Item(10, 3)->Value().ToInt32(), 1004);
  // Group columns stay empty in detail rows.
  EXPECT_TRUE(Blank(sheet, 4, 1));
  EXPECT_TRUE(Blank(sheet, 4, 2));
  EXPECT_EQ(Level(sheet, 1), 1);
  EXPECT_EQ(Level(sheet, 2), 1);
  EXPECT_EQ(Level(sheet, 3), 2);
  EXPECT_EQ(Level(sheet, 4), 3);
  EXPECT_EQ(Level(sheet, 10), 3);
  EXPECT_EQ(sheet->GetOutline().SummaryRow(), 0);
}

TEST_F(GridExport, NullGroupValueStillGetsATitleAndUnknownNamesGroupNothing) {
  Orders({{TVariant::Null(), "Cash"}, {TVariant::Null(), "Cash"}, {"COD", "Cash"}});
  export_.GroupFields().Add("Terms");
  export_.SetGroupFont(TFont("Arial", 12, {fsBold, fsItalic}, clMaroon));
  export_.SetGroupColor(clSkyBlue);
  export_.SetGroupBorderStyle(BorderStyleSingleHair);
  export_.Export();
  IXLSWorksheet* sheet = Sheet(1);
  EXPECT_TRUE(Blank(sheet, 2, 1));  // the null title
  EXPECT_EQ(Level(sheet, 2), 1);
  EXPECT_EQ(sheet->Cells()->Item(3, 3)->Value().ToInt32(), 1001);
  EXPECT_EQ(sheet->Cells()->Item(4, 3)->Value().ToInt32(), 1002);
  EXPECT_EQ(Text(sheet, 5, 1), u"COD");
  XLSPtr<IXLSRange> title = sheet->Cells()->Item(5, 1);
  EXPECT_TRUE(FontOf(title.Get())->Italic());
  EXPECT_EQ(FontOf(title.Get())->Size(), 12);
  // The fill covers the whole title row; the hair line frames it.
  XLSPtr<IXLSRange> end = sheet->Cells()->Item(5, 3);
  EXPECT_NE(InteriorOf(end.Get())->ColorIndex(), xlNone);
  EXPECT_EQ(BordersOf(end.Get())->Item(xlEdgeBottom)->Weight(), 1);

  TGridToXLS other;
  other.SetDBGrid(&grid_);
  other.GroupFields().Add("Nothing");
  other.Export();
  IXLSWorksheet* plain = other.Workbook()->Worksheets()->Item(1);
  EXPECT_EQ(plain->Cells()->Item(2, 3)->Value().ToInt32(), 1001);
  EXPECT_EQ(Level(plain, 2), 1);
  EXPECT_FALSE(other.Groups().Active());
}

TEST_F(GridExport, DisabledStepsLeaveCellsPlainAndGroupColumnsCanStayFilled) {
  Orders({{"Net 30", "Cash"}});
  export_.GroupFields().Add("Terms");
  export_.SetClearGroupFields(false);
  export_.SetGroupBorderStyle(BorderStyleSingleThick);
  export_.SetDisableFormat({foBorders, foNumberFormat, foFont, foAlignment});
  export_.Export();
  IXLSWorksheet* sheet = Sheet(1);
  EXPECT_EQ(Text(sheet, 2, 1), u"Net 30");  // the title
  EXPECT_EQ(Text(sheet, 3, 1), u"Net 30");  // the detail keeps its group column
  for (int32_t row = 1; row <= 3; ++row) {
    XLSPtr<IXLSRange> cell = sheet->Cells()->Item(row, 1);
    EXPECT_EQ(cell->NumberFormat(), u"General") << row;
    EXPECT_EQ(FontOf(cell.Get())->Name(), u"Arial") << row;  // the workbook's default font
    EXPECT_FALSE(FontOf(cell.Get())->Bold()) << row;
    EXPECT_EQ(BordersOf(cell.Get())->Item(xlEdgeBottom)->LineStyle(), xlNone) << row;
    EXPECT_NE(cell->HorizontalAlignment(), -4131) << row;
  }
}

TEST(DateTimeFormats, ConvertedToTheSpreadsheetLanguage) {
  EXPECT_EQ(ConvertDateTimeFormat("hh:nn"), "hh:mm");
  EXPECT_EQ(ConvertDateTimeFormat("h:nn ampm"), "h:mm AM/PM");
  EXPECT_EQ(ConvertDateTimeFormat("h:nn AmPm a/p A/P"), "h:mm AM/PM AM/PM AM/PM");
  EXPECT_EQ(ConvertDateTimeFormat("hh:nn:ss.zzz"), "hh:mm:ss.000");
  EXPECT_EQ(ConvertDateTimeFormat("dd/MM/yyyy N Z"), "dd/MM/yyyy N Z");
  EXPECT_EQ(ConvertNumberFormat("0 Stk. s"), "0 \\Stk. \\s");
}

class NumberFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    TFormatSettings settings;
    settings.ShortDateFormat = "dd/MM/yyyy";
    settings.ShortTimeFormat = "hh:nn";
    locale_ = std::make_unique<TLocaleGuard>(settings);
    source_.SetDataSet(&data_);
    grid_.SetDataSource(&source_);
    export_.SetDBGrid(&grid_);
  }
  std::u16string FormatOf(TFieldType type, const TVariant& value, const std::string& display = {}) {
    TField* field = data_.AddField("F", type);
    field->SetDisplayFormat(display);
    data_.AppendRecord({value});
    data_.Open();
    export_.Export();
    return export_.Workbook()->Worksheets()->Item(1)->Cells()->Item(2, 1)->NumberFormat();
  }
  std::unique_ptr<TLocaleGuard> locale_;
  TMemDataSet data_;
  TDataSource source_;
  TDBGrid grid_;
  TGridToXLS export_;
};

TEST_F(NumberFormats, DateWithoutDisplayFormatTakesTheLocaleShortDate) {
  EXPECT_EQ(FormatOf(ftDate, TVariant::FromDate(EncodeDate(2024, 5, 17))), u"dd/MM/yyyy");
}
TEST_F(NumberFormats, TimeDisplayFormatIsConverted) {
  EXPECT_EQ(FormatOf(ftTime, TVariant::FromDate(0.5), "h:nn ampm"), u"h:mm AM/PM");
}
TEST_F(NumberFormats, TimeWithoutDisplayFormatTakesTheLocaleShortTime) {
  EXPECT_EQ(FormatOf(ftTime, TVariant::FromDate(0.5)), u"hh:mm");
}
TEST_F(NumberFormats, DateTimeWithTimeOfDayAddsTheShortTime) {
  EXPECT_EQ(FormatOf(ftDateTime, TVariant::FromDate(45000.25)), u"dd/MM/yyyy hh:mm");
}
TEST_F(NumberFormats, DateTimeAtMidnightIsDateOnly) {
  EXPECT_EQ(FormatOf(ftDateTime, TVariant::FromDate(45000.0)), u"dd/MM/yyyy");
}
TEST_F(NumberFormats, CurrencyWithoutDisplayFormat) { EXPECT_EQ(FormatOf(ftCurrency, TVariant(12.5)), u"#,##0.00"); }
TEST_F(NumberFormats, CurrencyDisplayFormatUnchanged) {
  EXPECT_EQ(FormatOf(ftCurrency, TVariant(12.5), "0.00 Sfr"), u"0.00 Sfr");
}
TEST_F(NumberFormats, IntegerDisplayFormatEscapesS) {
  EXPECT_EQ(FormatOf(ftInteger, TVariant(3), "0 Stk"), u"0 \\Stk");
}
TEST_F(NumberFormats, FloatWithoutDisplayFormatKeepsGeneral) {
  EXPECT_EQ(FormatOf(ftFloat, TVariant(1.5)), u"General");
}
TEST_F(NumberFormats, StringGetsNone) { EXPECT_EQ(FormatOf(ftString, TVariant(u"x")), u"General"); }

TEST_F(NumberFormats, BooleanCellShowsTheEditText) {
  TField* field = data_.AddField("Paid", ftBoolean);
  field->SetDisplayValues("Yes;No");
  data_.AppendRecord({true});
  data_.AppendRecord({false});
  data_.Open();
  export_.Export();
  IXLSWorksheet* sheet = export_.Workbook()->Worksheets()->Item(1);
  data_.First();
  const std::u16string trueText = AnsiToWide(field->EditText());
  data_.Next();
  const std::u16string falseText = AnsiToWide(field->EditText());
  ASSERT_FALSE(trueText.empty());
  ASSERT_NE(trueText, falseText);
  const TVariant value = sheet->Cells()->Item(2, 1)->Value();
  EXPECT_TRUE(value.IsString());
  EXPECT_EQ(value.ToWide(), trueText);
  EXPECT_EQ(sheet->Cells()->Item(3, 1)->Value().ToWide(), falseText);
  export_.ReleaseWorkbook();
  // With number formats disabled the boolean stays a boolean.
  export_.SetDisableFormat({foNumberFormat});
  export_.Export();
  EXPECT_EQ(export_.Workbook()->Worksheets()->Item(1)->Cells()->Item(2, 1)->Value().VarType(), varBoolean);
}

TEST_F(GridExport, SecondExportAppendsBelowTheUsedBlock) {
  Orders({{"Net 30", "Cash"}, {"COD", "Check"}});
  export_.Export();
  export_.SetStartRow(1);
  export_.Export(false);
  IXLSWorksheet* sheet = Sheet(1);
  EXPECT_EQ(export_.Workbook()->Worksheets()->Count(), 1);
  // Used block rows 1..3; one row below plus StartRow 1 gives origin row 4,
  // so the header lands on sheet row 5.
  EXPECT_EQ(Text(sheet, 5, 1), u"Terms");
  EXPECT_EQ(Text(sheet, 7, 1), u"COD");
  export_.Export(false, 10, 2);
  EXPECT_EQ(Text(sheet, 11, 3), u"Terms");
}

class SaveByExtension : public GridExport {
 protected:
  void SetUp() override {
    GridExport::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("lx_grid_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::u16string Path(const char* name) { return Utf8ToUtf16((dir_ / name).string()); }
  bool IsCompoundFile(const char* name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    char magic[8] = {};
    in.read(magic, 8);
    return in && std::string(magic, 8) == std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  }
  std::filesystem::path dir_;
};

TEST_F(SaveByExtension, PicksTheWriterFromTheLastFourCharacters) {
  Orders({{"Net 30", "Cash"}});
  EXPECT_EQ(export_.SaveToFile(Path("none.xls")), -1);
  export_.Export();
  EXPECT_EQ(export_.SaveToFile(Path("book.xlsx")), 1);
  EXPECT_TRUE(IsCompoundFile("book.xlsx"));
  // HTML and RTF go to their own exporters, which write no XLS file.
  EXPECT_EQ(export_.SaveToFile(Path("page.HTML")), 1);
  EXPECT_FALSE(IsCompoundFile("page.HTML"));
  EXPECT_EQ(export_.SaveToFile(Path("page.htm")), 1);
  EXPECT_FALSE(IsCompoundFile("page.htm"));
  EXPECT_EQ(export_.SaveToFile(Path("text.Rtf")), 1);
  std::ifstream rtf(dir_ / "text.Rtf", std::ios::binary);
  std::string start(6, '\0');
  rtf.read(start.data(), 6);
  EXPECT_EQ(start, "{\\rtf1");
  EXPECT_EQ(export_.SaveToFile(Path("x.thtml.xls")), 1);
  EXPECT_TRUE(IsCompoundFile("x.thtml.xls"));
}

TEST_F(SaveByExtension, SilentAbortGivesMinus100AndNoWorkbook) {
  Orders({{"Net 30", "Cash"}, {"COD", "Check"}});
  data_.Next();
  int cells = 0;
  export_.SetAfterDetailCell([&](TGridToXLS*, IXLSRange*, int32_t row, int32_t, TColumn*) {
    ++cells;
    if (row == 2) Abort();
  });
  EXPECT_EQ(export_.ExportToFile(Path("aborted.xls")), -100);
  EXPECT_EQ(export_.Workbook(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "aborted.xls"));
  EXPECT_EQ(cells, 4);
  EXPECT_FALSE(data_.ControlsDisabled());
  EXPECT_EQ(data_.RecNo(), 2);

  // Other errors pass to the caller, and the half-written workbook goes.
  export_.SetAfterDetailCell(
      [](TGridToXLS*, IXLSRange*, int32_t, int32_t, TColumn*) { throw EDatabaseError("broken"); });
  EXPECT_THROW(static_cast<void>(export_.ExportToFile(Path("broken.xls"))), EDatabaseError);
  EXPECT_EQ(export_.Workbook(), nullptr);

  export_.SetAfterDetailCell({});
  EXPECT_EQ(export_.ExportToFile(Path("done.xls")), 1);
  EXPECT_EQ(export_.Workbook(), nullptr);
  EXPECT_TRUE(IsCompoundFile("done.xls"));
}

TEST_F(GridExport, ForgetsAGridThatIsDestroyed) {
  auto grid = std::make_unique<TDBGrid>();
  TGridToXLS component;
  component.SetDBGrid(grid.get());
  grid.reset();
  EXPECT_EQ(component.DBGrid(), nullptr);
}

}  // namespace
}  // namespace lx

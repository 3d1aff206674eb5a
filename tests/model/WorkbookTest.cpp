// The workbook, worksheets, cell store, row and column records, values and
// the reference text helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStreams.h"
#include "lxStringTable.h"
#include "lxStyle.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSRange> At(int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); }
};

TEST(CellStore, AllocatesBlocksOnlyWhereCellsAreAndBoundsOnlyGrow) {
  Book b;
  TXLSCellHeap& cells = b.sheet->CellHeap();
  EXPECT_TRUE(cells.Empty());
  EXPECT_EQ(cells.RowCount(), 0);
  EXPECT_EQ(cells.FindCell(70000, 0), nullptr);
  EXPECT_EQ(cells.GetCell(0, 256), nullptr);
  EXPECT_EQ(cells.GetCell(-1, 0), nullptr);

  TXLSCellRef* far = cells.GetCell(65535, 255);
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(far->Row, 65535);
  EXPECT_EQ(far->Column, 255);
  TXLSCellRef* near = cells.GetCell(4, 2);
  EXPECT_EQ(cells.GetCell(4, 2), near);  // existing cell comes back
  // Neighbours in other blocks stay empty.
  EXPECT_EQ(cells.FindCell(4, 130), nullptr);
  EXPECT_EQ(cells.FindCell(260, 2), nullptr);
  EXPECT_EQ(cells.FirstRow(), 4);
  EXPECT_EQ(cells.LastRow(), 65535);
  EXPECT_EQ(cells.FirstColumn(), 2);
  EXPECT_EQ(cells.LastColumn(), 255);
  EXPECT_EQ(cells.RowCount(), 65532);
  EXPECT_EQ(cells.ColumnCount(), 254);
  EXPECT_EQ(cells.CellCount(), 2);

  cells.DeleteCell(65535, 255);
  EXPECT_EQ(cells.FindCell(65535, 255), nullptr);
  EXPECT_EQ(cells.LastRow(), 65535);  // bounds do not shrink
  EXPECT_EQ(cells.CellCount(), 1);
  // The row record of a used row knows its used columns.
  const TXLSRowInfo* row = b.sheet->RowInfo().Find(4);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->FirstUsedColumn, 2);
  EXPECT_EQ(row->LastUsedColumn, 2);
}

TEST(CellStore, UsedRangeIsA1WhenEmptyAndKeepsDeletedCells) {
  Book b;
  auto used = b.sheet->UsedRange();
  EXPECT_EQ(used->FirstRow(), 0);
  EXPECT_EQ(used->LastColumn(), 0);
  b.sheet->Range(u"C5", u"C5")->SetValue(TVariant(1));
  used = b.sheet->UsedRange();
  EXPECT_EQ(used->FirstRow(), 4);
  EXPECT_EQ(used->LastRow(), 4);
  EXPECT_EQ(used->FirstColumn(), 2);
  EXPECT_EQ(used->LastColumn(), 2);
  b.sheet->CellHeap().DeleteCell(4, 2);
  used = b.sheet->UsedRange();
  EXPECT_EQ(used->FirstRow(), 4);
  EXPECT_EQ(used->FirstColumn(), 2);
}

TEST(CellStore, DeletingACellGivesBackItsStringAndFormat) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"once"));
  b.At(1, 1)->SetNumberFormat(u"0.000");
  TXLSCellRef* cell = b.sheet->CellHeap().FindCell(0, 0);
  const int32_t string = cell->StringIndex;
  const int32_t format = cell->FormatIndex;
  TXLSStringTable& strings = b.book->StringTable();
  EXPECT_EQ(strings.RefCount(string), 1);
  EXPECT_EQ(b.book->Formats().RefCount(format), 1);
  b.sheet->CellHeap().DeleteCell(0, 0);
  EXPECT_EQ(strings.RefCount(string), 0);
  EXPECT_EQ(b.book->Formats().RefCount(format), 0);
}

TEST(Units, RowHeightsMoveInQuarterPoints) {
  EXPECT_EQ(PointsToTwips(13.1), 260);
  EXPECT_FLOAT_EQ(TwipsToPoints(260), 13.0f);
  EXPECT_EQ(PointsToTwips(12.75), 255);
  EXPECT_FLOAT_EQ(TwipsToPoints(255), 12.75f);
  EXPECT_EQ(PointsToTwips(12.625), 250);  // 2.5 quarters round to even: 2
  EXPECT_EQ(PointsToTwips(-3), 0);
  EXPECT_EQ(PointsToTwips(1e9), 65535);
}

TEST(Units, ColumnWidthsInCharacters) {
  EXPECT_EQ(CharactersToColumnWidth(8.43), 2340);
  EXPECT_FLOAT_EQ(ColumnWidthToCharacters(2340), 8.43f);
  EXPECT_EQ(CharactersToColumnWidth(0.5), 230);
  EXPECT_FLOAT_EQ(ColumnWidthToCharacters(230), 0.5f);
  EXPECT_EQ(CharactersToColumnWidth(1), 438);
  EXPECT_FLOAT_EQ(ColumnWidthToCharacters(438), 1.0f);
  EXPECT_EQ(CharactersToColumnWidth(255), 255 * 256 + 182);
}

TEST(RowColumnRecords, HeightsWidthsHiddenAndOutline) {
  Book b;
  TXLSRowInfoList& rows = b.sheet->RowInfo();
  EXPECT_DOUBLE_EQ(rows.RowHeight(9), 12.75);  // default row
  rows.SetRowHeight(9, 13.1);
  EXPECT_DOUBLE_EQ(rows.RowHeight(9), 13.0);
  EXPECT_TRUE(rows.Find(9)->CustomHeight);
  rows.SetRowHidden(9, true);
  EXPECT_DOUBLE_EQ(rows.RowHeight(9), 0.0);
  rows.SetRowHeight(9, 20);  // a height shows the row again
  EXPECT_FALSE(rows.RowHidden(9));
  rows.SetRowHeight(70000, 20);  // ignored
  EXPECT_EQ(rows.Count(), 1);

  EXPECT_EQ(rows.RowOutlineLevel(3), 1);
  rows.SetRowOutlineLevel(3, 1);  // level 1 creates nothing
  EXPECT_EQ(rows.Find(3), nullptr);
  rows.SetRowOutlineLevel(3, 4);
  EXPECT_EQ(rows.RowOutlineLevel(3), 4);
  EXPECT_EQ(rows.Find(3)->OutlineLevel, 3);
  rows.SetRowOutlineLevel(3, 9);  // ignored
  EXPECT_EQ(rows.RowOutlineLevel(3), 4);

  TXLSColumnInfoList& columns = b.sheet->ColumnInfo();
  EXPECT_NEAR(columns.ColumnWidth(2), 8.43, 1e-6);
  columns.SetColumnWidth(2, 0.5);
  EXPECT_EQ(columns.Find(2)->Width, 230);
  b.sheet->SetStandardWidth(10);
  columns.SetColumnHidden(5, true);
  EXPECT_EQ(columns.Find(5)->Width, CharactersToColumnWidth(10));  // new record takes the default
  EXPECT_TRUE(columns.ColumnHidden(5));
  EXPECT_EQ(columns.HiddenColumnsFromLeft(), 0);
  columns.SetColumnHidden(0, true);
  columns.SetColumnHidden(1, true);
  EXPECT_EQ(columns.HiddenColumnsFromLeft(), 2);
}

TEST(Values, KindsAndReadBack) {
  Book b;
  auto cell = [&](int32_t r, int32_t c) { return b.sheet->CellHeap().FindCell(r - 1, c - 1); };
  b.At(1, 1)->SetValue(TVariant(int16_t{7}));
  EXPECT_EQ(cell(1, 1)->Kind, ckNumber);
  b.At(1, 2)->SetValue(TVariant::FromCurrency(12345));
  EXPECT_DOUBLE_EQ(cell(1, 2)->Number, 1.2345);
  b.At(1, 3)->SetValue(TVariant(true));
  EXPECT_EQ(cell(1, 3)->Kind, ckBoolean);
  EXPECT_EQ(b.At(1, 3)->Value().VarType(), varBoolean);
  b.At(1, 4)->SetValue(TVariant(u"'=1"));
  EXPECT_EQ(b.At(1, 4)->Value().WideValue(), u"=1");
  b.At(1, 5)->SetValue(TVariant("8-bit"));
  EXPECT_EQ(b.At(1, 5)->Value().WideValue(), u"8-bit");
  // A formula that does not compile stays text, equals sign included.
  b.At(1, 6)->SetValue(TVariant(u"=1+"));
  EXPECT_EQ(cell(1, 6)->Kind, ckString);
  EXPECT_EQ(b.At(1, 6)->Value().WideValue(), u"=1+");
  // An error value leaves the cell as the first step left it.
  b.At(1, 7)->SetValue(TVariant(3.0));
  b.At(1, 7)->SetValue(TVariant::FromError(7));
  EXPECT_EQ(cell(1, 7)->Kind, ckNumber);
  b.At(1, 5)->SetValue(TVariant::FromError(7));  // a string gives its text back
  EXPECT_EQ(cell(1, 5)->Kind, ckBlank);
  EXPECT_TRUE(b.At(1, 5)->Value().IsNull());
  EXPECT_TRUE(b.At(9, 9)->Value().IsNull());
}

// No file holds NaN or an infinity as a number: the cell keeps #NUM!.
TEST(Values, NumbersThatAreNotFiniteBecomeTheErrorNum) {
  Book b;
  const double inf = std::numeric_limits<double>::infinity();
  const TVariant values[] = {TVariant(std::nan("")), TVariant(inf), TVariant(-inf),
                             TVariant(std::numeric_limits<float>::quiet_NaN()), TVariant::FromDate(inf)};
  int32_t column = 1;
  for (const TVariant& value : values) {
    b.At(1, column)->SetValue(value);
    const TXLSCellRef* cell = b.sheet->CellHeap().FindCell(0, column - 1);
    EXPECT_EQ(cell->Kind, ckError) << column;
    const TVariant back = b.At(1, column)->Value();
    EXPECT_EQ(back.VarType(), varError) << column;
    EXPECT_EQ(back.ErrorValue(), kXLSErrorNum) << column;
    ++column;
  }
  b.At(1, 1)->SetValue(TVariant(2.5));  // a number again
  EXPECT_EQ(b.At(1, 1)->Value().ToDouble(), 2.5);
}

// Text with an unpaired surrogate is not UTF-16 and would cost the whole
// file; every text the workbook keeps has U+FFFD in its place.
TEST(Values, LoneSurrogatesInTextsBecomeReplacementCharacters) {
  Book b;
  const std::u16string bad{u'a', 0xD800, u'b'};
  const std::u16string sound = u"a\uFFFDb";
  b.At(1, 1)->SetValue(TVariant(bad));
  EXPECT_EQ(b.At(1, 1)->Value().WideValue(), sound);
  b.At(1, 2)->SetValue(TVariant(sound));
  EXPECT_EQ(b.sheet->CellHeap().FindCell(0, 0)->StringIndex, b.sheet->CellHeap().FindCell(0, 1)->StringIndex);
  EXPECT_EQ(b.book->StringTable().FindString(bad), b.sheet->CellHeap().FindCell(0, 0)->StringIndex);
  b.At(1, 3)->SetValue(TVariant(u"\U0001D11E"));  // a pair stays
  EXPECT_EQ(b.At(1, 3)->Value().WideValue(), u"\U0001D11E");
  b.sheet->SetName(bad);
  EXPECT_EQ(b.sheet->Name(), sound);
  b.sheet->PageSetup().SetCenterHeader(bad);
  b.sheet->PageSetup().SetLeftFooter(bad);
  EXPECT_EQ(b.sheet->PageSetup().HeaderText(), u"&C" + sound);
  EXPECT_EQ(b.sheet->PageSetup().FooterText(), u"&L" + sound);
  b.At(2, 1)->Font()->SetName(bad);
  EXPECT_EQ(b.At(2, 1)->Font()->Name(), sound);
  b.At(2, 1)->SetNumberFormat(bad);
  EXPECT_EQ(b.At(2, 1)->NumberFormat(), sound);
}

TEST(Values, EmptyTextBlanksTheCellButKeepsItsFormat) {
  Book b;
  b.At(2, 2)->SetValue(TVariant(u"x"));
  b.At(2, 2)->SetNumberFormat(u"0.0");
  const int32_t format = b.At(2, 2)->FormatIndex();
  b.At(2, 2)->SetValue(TVariant(u""));
  EXPECT_EQ(b.sheet->CellHeap().FindCell(1, 1)->Kind, ckBlank);
  EXPECT_EQ(b.At(2, 2)->FormatIndex(), format);
  EXPECT_EQ(b.book->StringTable().UniqueCount(), 0u);
}

TEST(Values, TextWithLineFeedTurnsWrappingOn) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"two\nlines"));
  EXPECT_TRUE(b.At(1, 1)->WrapText().ToBool());
  EXPECT_FALSE(b.At(1, 2)->WrapText().ToBool());
}

TEST(Values, RepeatedTextsShareOneStringEntry) {
  Book b;
  for (int r = 1; r <= 5; ++r) b.At(r, 1)->SetValue(TVariant(u"same"));
  TXLSStringTable& strings = b.book->StringTable();
  EXPECT_EQ(strings.UniqueCount(), 1u);
  EXPECT_EQ(strings.RefCount(b.sheet->CellHeap().FindCell(0, 0)->StringIndex), 5);
  b.At(3, 1)->SetValue(TVariant(2.0));
  EXPECT_EQ(strings.TotalReferences(), 4u);
}

TEST(Dates, StoredSerialsBelowMarch1900AreOneDayLess) {
  Book b;
  b.At(1, 1)->SetValue(TVariant::FromDate(EncodeDate(1900, 1, 1)));   // date value 2
  b.At(2, 1)->SetValue(TVariant::FromDate(EncodeDate(1900, 3, 1)));   // date value 61
  b.At(3, 1)->SetValue(TVariant::FromDate(EncodeDate(1900, 2, 28)));  // 60
  b.At(4, 1)->SetValue(TVariant::FromDate(0.5));                      // time only
  TXLSCellHeap& cells = b.sheet->CellHeap();
  EXPECT_EQ(cells.FindCell(0, 0)->Kind, ckDate);
  EXPECT_DOUBLE_EQ(cells.FindCell(0, 0)->Number, 1.0);
  EXPECT_DOUBLE_EQ(cells.FindCell(1, 0)->Number, 61.0);
  EXPECT_DOUBLE_EQ(cells.FindCell(2, 0)->Number, 59.0);
  EXPECT_DOUBLE_EQ(cells.FindCell(3, 0)->Number, 0.5);
  // A date cell reads back its stored value unchanged.
  EXPECT_EQ(b.At(1, 1)->Value().VarType(), varDate);
  EXPECT_DOUBLE_EQ(b.At(1, 1)->Value().ToDouble(), 1.0);
}

TEST(Dates, NumbersUnderADateFormatReadBackAsDates) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(61.0));
  b.At(2, 1)->SetValue(TVariant(1.0));
  b.At(3, 1)->SetValue(TVariant(1.0));
  b.sheet->Range(u"A1", u"A2")->SetNumberFormat(u"dd/mm/yyyy");
  TVariant march = b.At(1, 1)->Value();
  ASSERT_EQ(march.VarType(), varDate);
  int y, m, d;
  ASSERT_TRUE(DecodeDate(march.ToDouble(), y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 19000301);
  TVariant january = b.At(2, 1)->Value();
  ASSERT_TRUE(DecodeDate(january.ToDouble(), y, m, d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 19000101);
  EXPECT_EQ(b.At(3, 1)->Value().VarType(), varDouble);  // General stays a number
}

TEST(SheetNames, DefaultNamesSkipTakenOnes) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorkSheets* sheets = book->Worksheets();
  EXPECT_EQ(book->ActiveSheet(), nullptr);
  IXLSWorksheet* first = sheets->Add();
  EXPECT_EQ(first->Name(), u"Sheet1");
  EXPECT_EQ(first->Identifier(), 1);
  EXPECT_TRUE(first->Selected());
  EXPECT_EQ(book->ActiveSheet(), first);
  first->SetName(u"Sheet2");
  IXLSWorksheet* second = sheets->Add();
  EXPECT_EQ(second->Name(), u"Sheet3");
  EXPECT_FALSE(second->Selected());
  IXLSWorksheet* front = sheets->Insert(1);
  EXPECT_EQ(front->Index(), 1);
  EXPECT_EQ(first->Index(), 2);
  EXPECT_EQ(second->Index(), 3);
  EXPECT_EQ(front->Identifier(), 3);
  EXPECT_EQ(sheets->Insert(9), nullptr);
  EXPECT_EQ(sheets->PositionOfIdentifier(1), 2);
  EXPECT_EQ(sheets->IdentifierOfName(u"Sheet3"), 2);
  EXPECT_EQ(sheets->IdentifierOfName(u"sheet3"), -1);
  EXPECT_EQ(book->SheetNameAt(3), u"Sheet3");
  EXPECT_EQ(book->SheetNameAt(4), u"");
  EXPECT_EQ(book->SheetCountPlusOne(), 4);
}

TEST(SheetNames, InvalidRenamesAreIgnored) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* a = book->Worksheets()->Add();
  IXLSWorksheet* b = book->Worksheets()->Add();
  a->SetName(u"a/b");
  EXPECT_EQ(a->Name(), u"Sheet1");
  a->SetName(WideString(32, u'x'));
  EXPECT_EQ(a->Name(), u"Sheet1");
  a->SetName(WideString(31, u'x'));
  EXPECT_EQ(a->Name(), WideString(31, u'x'));
  a->SetName(u"Sheet2");  // the other sheet's name
  EXPECT_EQ(a->Name(), WideString(31, u'x'));
  b->SetName(u"Sheet2");  // its own name
  EXPECT_EQ(b->Name(), u"Sheet2");
  // Empty names, apostrophes at either end and another sheet's name in other
  // letter case would be renamed by spreadsheet programs.
  a->SetName(u"Sheet1");
  for (const char16_t* bad : {u"[", u"]", u":", u"*", u"?", u"\\", u"", u"'", u"'a", u"a'", u"sheet1", u"SHEET1"}) {
    b->SetName(bad);
    EXPECT_EQ(b->Name(), u"Sheet2") << Utf16ToUtf8(bad);
  }
  a->SetName(u"Лист");
  b->SetName(u"лИСТ");
  EXPECT_EQ(b->Name(), u"Sheet2");
  for (const char16_t* good : {u"a'b", u"SHEET2", u"Sheet2"}) {  // its own name in any case
    b->SetName(good);
    EXPECT_EQ(b->Name(), good);
  }
}

TEST(Worksheet, SelectionVisibilityZoomAndFirstVisible) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* a = book->Worksheets()->Add();
  IXLSWorksheet* b = book->Worksheets()->Add();
  b->Select(false);
  EXPECT_TRUE(a->Selected());
  EXPECT_TRUE(b->Selected());
  EXPECT_EQ(book->ActiveSheet(), a);
  b->Activate();  // already selected: the others stay selected
  EXPECT_TRUE(a->Selected());
  EXPECT_EQ(book->ActiveSheet(), b);
  a->Select(true);
  EXPECT_FALSE(b->Selected());
  EXPECT_EQ(book->ActiveSheet(), a);

  b->SetVisible(TVariant(false));
  EXPECT_EQ(b->Visible(), 1);
  b->SetVisible(TVariant(2));
  EXPECT_EQ(b->Visible(), 2);
  b->SetVisible(TVariant(3));
  EXPECT_EQ(b->Visible(), 2);
  b->SetZoom(TVariant(401));
  EXPECT_EQ(b->Zoom(), 100);
  b->SetZoom(TVariant(10));
  EXPECT_EQ(b->Zoom(), 10);
  b->SetZoom(TVariant(true));
  EXPECT_EQ(b->Zoom(), 100);
  b->SetFirstVisibleRow(65537);
  b->SetFirstVisibleRow(5);
  EXPECT_EQ(b->FirstVisibleRow(), 4);
  EXPECT_EQ(b->MakeFirstVisibleTab(), kResultOk);
  EXPECT_EQ(book->FirstVisibleTab(), 1);
  EXPECT_EQ(b->Reserved3(), kResultFail);
}

TEST(Worksheet, PanesAreMadeOnFirstUse) {
  Book b;
  EXPECT_EQ(b.sheet->Panes(), nullptr);
  EXPECT_EQ(b.sheet->FreezePanes(1, 0, 0, 1), kResultOk);
  ASSERT_NE(b.sheet->Panes(), nullptr);
  EXPECT_TRUE(b.sheet->FrozenPanes());
  EXPECT_EQ(b.sheet->SplitPanes(-1, -1, 10, 20), kResultOk);
  EXPECT_FALSE(b.sheet->FrozenPanes());
  EXPECT_EQ(b.sheet->Outline(), nullptr);
  b.sheet->GetOutline().SetSummaryRow(0);
  EXPECT_EQ(b.sheet->Outline()->SummaryRow(), 0);
}

TEST(Worksheet, RangeOfClampsAndOrdersCorners) {
  Book b;
  auto r = b.sheet->RangeOf(0, 300, 2, 70000);
  EXPECT_EQ(r->FirstRow(), 0);
  EXPECT_EQ(r->LastRow(), 65535);
  EXPECT_EQ(r->FirstColumn(), 1);
  EXPECT_EQ(r->LastColumn(), 255);
  auto bad = b.sheet->Range(u"X", u"C3");
  EXPECT_EQ(bad->Count(), 1);
  EXPECT_EQ(bad->FirstRow(), 0);
  auto swapped = b.sheet->Range(u"C3", u"A1");
  EXPECT_EQ(swapped->FirstRow(), 0);
  EXPECT_EQ(swapped->LastColumn(), 2);
}

TEST(Workbook, StandInsAndPlainState) {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  EXPECT_EQ(book->Save(), kResultNothingToSave);
  EXPECT_EQ(book->SaveAs(u"   "), kResultFail);
  TMemoryStream stream;
  EXPECT_EQ(book->Open(stream), -3);  // an empty stream holds no workbook
  // Evaluate calculates; without a sheet, a cell reference fails to null.
  TVariant result;
  book->Evaluate(u"1+1", result);
  EXPECT_DOUBLE_EQ(result.ToDouble(), 2);
  book->Evaluate(u"A1", result);
  EXPECT_TRUE(result.IsNull());
  EXPECT_EQ(book->Reserved(), kResultOk);
  EXPECT_TRUE(book->FullPrecision());
  book->SetFullPrecision(0);
  EXPECT_FALSE(book->FullPrecision());
  book->SetColors(3, 0x00123456);
  EXPECT_EQ(book->Colors(3), 0x00123456u);
  book->SetColors(57, 0x00FFFFFF);
  EXPECT_EQ(book->Colors(0), 0u);
  EXPECT_EQ(book->ResetColors(), kResultOk);
  EXPECT_EQ(book->Colors(3), 0x000000FFu);
  book->Protect("pw");
  EXPECT_TRUE(book->ProtectStructure());
  EXPECT_FALSE(book->Unprotect());
  EXPECT_FALSE(book->Unprotect(AnsiString("no")));
  EXPECT_TRUE(book->Unprotect(AnsiString("pw")));
  EXPECT_FALSE(book->ProtectStructure());
}

// The model reaches the writers, the reader and the exporters only through
// the links it was created with: without them each operation fails, with
// them each passes its arguments through and keeps what a save reports.
TEST(Workbook, HigherLayersAreReachedThroughLinks) {
  XLSPtr<TXLSWorkbook> bare(new TXLSWorkbook());
  TMemoryStream stream;
  IXLSWorksheet* sheet = bare->Worksheets()->Add();
  XLSPtr<IXLSRange> range = sheet->Range(u"A1", u"B2");
  EXPECT_EQ(bare->SaveAs(u"a.xls", kSaveBiff8), kResultFail);
  EXPECT_EQ(bare->SaveAsHTML(u"a.htm"), kResultFail);
  EXPECT_EQ(bare->SaveAsRTF(stream), kResultFail);
  EXPECT_EQ(bare->Open(u"a.xls", AnsiString("pw")), kResultFail);
  EXPECT_EQ(range->SaveAs(u"a.csv", kSaveCSV), kResultFail);
  range->AutoFit(true);  // nothing to call, nothing happens
  EXPECT_EQ(bare->CompileFormula("1+1", 1), nullptr);

  std::vector<std::string> calls;
  TXLSWorkbookLinks links;
  links.save = [&](TXLSWorkbook&, const WideString& name, TStream* to, int32_t format, TXLSSaveNotes& notes) {
    calls.push_back("save " + WideToAnsi(name) + (to ? " stream " : " file ") + std::to_string(format));
    notes.formatRemembered = true;
    notes.fileNameStored = to == nullptr;
    return kResultOk;
  };
  links.saveHTML = [&](TXLSWorkbook&, const WideString& name) {
    calls.push_back("html " + WideToAnsi(name));
    return 7;
  };
  links.open = [&](TXLSWorkbook&, const WideString& name, TStream* from, const AnsiString* password) {
    calls.push_back("open " + WideToAnsi(name) + (from ? " stream " : " file ") + (password ? *password : "-"));
    return kResultOk;
  };
  links.autoFit = [&](IXLSRange& fitted, bool columns) {
    calls.push_back("fit " + std::to_string(fitted.LastColumn()) + (columns ? " columns" : " rows"));
  };
  links.saveRange = [&](IXLSRange&, const WideString& name, TStream*, int32_t format) {
    calls.push_back("range " + WideToAnsi(name) + " " + std::to_string(format));
    return kResultOk;
  };
  XLSPtr<TXLSWorkbook> linked(new TXLSWorkbook(&links));
  XLSPtr<IXLSRange> cells = linked->Worksheets()->Add()->Range(u"A1", u"B2");
  EXPECT_EQ(linked->Save(), kResultNothingToSave);
  EXPECT_EQ(linked->SaveAs(u"a.xls", kSaveBiff5), kResultOk);
  EXPECT_EQ(linked->Save(), kResultOk);  // again to a.xls, as BIFF5
  EXPECT_EQ(linked->SaveAs(stream), kResultOk);
  EXPECT_EQ(linked->SaveAsHTML(u"b.htm"), 7);
  EXPECT_EQ(linked->Open(stream), kResultOk);
  EXPECT_EQ(linked->Open(u"c.xls", AnsiString("pw")), kResultOk);
  EXPECT_EQ(linked->SaveAsRTF(u"d.rtf"), kResultFail);  // no RTF link
  cells->AutoFit(false);
  cells->Columns()->ColumnsAutoFit(true);
  EXPECT_EQ(cells->SaveAs(u"e.csv", kSaveCSV), kResultOk);
  EXPECT_EQ(calls, (std::vector<std::string>{"save a.xls file 1", "save a.xls file 1", "save  stream 2", "html b.htm",
                                             "open  stream -", "open c.xls file pw", "fit 1 rows", "fit 1 columns",
                                             "range e.csv 5"}));
}

TEST(Workbook, GenerationSkipsMinusOneAndCellValueReportsBeyond) {
  Book b;
  const int32_t before = b.book->Generation();
  b.At(2, 2)->SetValue(TVariant(5.0));
  EXPECT_EQ(b.book->Generation(), before + 1);
  TVariant v;
  bool beyond = false;
  EXPECT_EQ(b.book->CellValue(1, 1, 1, v, beyond), kResultOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 5.0);
  EXPECT_FALSE(beyond);
  EXPECT_EQ(b.book->CellValue(1, 5, 1, v, beyond), kResultOk);
  EXPECT_TRUE(v.IsNull());
  EXPECT_TRUE(beyond);
  EXPECT_EQ(b.book->CellValue(2, 1, 1, v, beyond), kResultFail);
  EXPECT_EQ(b.book->CellValue(1, 65536, 1, v, beyond), kResultFail);
}

TEST(Workbook, ResetDropsSheetsAndStrings) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"text"));
  b.book->Reset();
  EXPECT_EQ(b.book->Worksheets()->Count(), 0);
  EXPECT_EQ(b.book->StringTable().UniqueCount(), 0u);
  IXLSWorksheet* again = b.book->Worksheets()->Add();
  EXPECT_EQ(again->Name(), u"Sheet1");
}

TEST(ReferenceText, CellNamesAndParsing) {
  EXPECT_EQ(CellName(0, 0), u"A1");
  EXPECT_EQ(CellName(65535, 255), u"IV65536");
  EXPECT_EQ(CellName(9, 26), u"AA10");
  EXPECT_EQ(RangeName(0, 0, 1, 1), u"A1:B2");
  EXPECT_EQ(ColumnLetters(256), u"IV");
  EXPECT_EQ(ColumnLetters(257), u"");
  EXPECT_EQ(ColumnLetters(0), u"");
  EXPECT_EQ(ColumnNumber(u"$iv"), 256);
  EXPECT_EQ(ColumnNumber(u"12"), -1);
  int32_t r = -1, c = -1;
  EXPECT_TRUE(ParseCellName(u"iv65536", r, c));
  EXPECT_EQ(r, 65535);
  EXPECT_EQ(c, 255);
  EXPECT_FALSE(ParseCellName(u"IW1", r, c));
  EXPECT_FALSE(ParseCellName(u"A65537", r, c));
  EXPECT_FALSE(ParseCellName(u"A0", r, c));
  EXPECT_FALSE(ParseCellName(u"$A$1", r, c));
  EXPECT_FALSE(ParseCellName(u"ABC1", r, c));
  EXPECT_FALSE(ParseCellName(u"A", r, c));
  int32_t r2, c2;
  EXPECT_TRUE(ParseRangeName(u"B2:C3", r, c, r2, c2));
  EXPECT_EQ(r2, 2);
  EXPECT_FALSE(ParseRangeName(u"B2", r, c, r2, c2));
}

TEST(ReferenceText, SpansAndSmallConversions) {
  int32_t first = 0, last = 0;
  EXPECT_TRUE(ParseRowSpan(u" $3 : $1 ", first, last));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 3);
  EXPECT_FALSE(ParseRowSpan(u"$1:$65536", first, last));
  EXPECT_FALSE(ParseRowSpan(u"$1", first, last));
  EXPECT_TRUE(ParseColumnSpan(u"$C:$A", first, last));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 3);
  EXPECT_FALSE(ParseColumnSpan(u"$A:$1", first, last));
  EXPECT_EQ(RowSpanText(1, 3), u"$1:$3");
  EXPECT_EQ(ColumnSpanText(1, 3), u"$A:$C");
  EXPECT_EQ(ColumnSpanText(0, 3), u"");
  EXPECT_EQ(TextToCellText(u"a\r\nb\nc\rd"), u"a\rb\rc\rd");
  EXPECT_EQ(NumberToText(2.25), u"2.3");
  EXPECT_EQ(NumberToText(0.5), u".5");
  EXPECT_EQ(NumberToText(3.0), u"3");
  EXPECT_EQ(NumberToText(-1.5), u"-1.5");
  EXPECT_EQ(NumberToText(1e300).size(), 301u);  // every digit, no cut
}

}  // namespace
}  // namespace lx

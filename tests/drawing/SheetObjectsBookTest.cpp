// Sheet objects in a workbook: their areas follow the range operations, the
// range's AutoFilter makes and removes a filter, and a save and open keeps
// conditional formats, validations and the autofilter.
#include <gtest/gtest.h>

#include "lxCalculator.h"
#include "lxDrawingObjects.h"
#include "lxHandle.h"
#include "lxStreams.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;

std::string AreaText(const TCondRangeList& list) {
  std::string text;
  for (const TCondRange& a : list.Areas()) {
    if (!text.empty()) text += ' ';
    text += static_cast<char>('A' + a.firstColumn) + std::to_string(a.firstRow + 1) + ':' +
            static_cast<char>('A' + a.lastColumn) + std::to_string(a.lastRow + 1);
  }
  return text;
}

// A list validation of "a", "b" over A1:A3 with an error text, and a
// conditional format "greater than 5" over B2:C4.
void AddObjects(IXLSWorksheet& sheet) {
  TXLSDrawingObjects& objects = DrawingObjects(sheet);
  TXLSCalculator& calculator = WorkbookCalculator(*sheet.Workbook());
  const auto dv =
      Hex("83 01 00 00 01 00 00 00 01 00 00 00 01 00 00 00 03 00 01 42 00 61 00 64 00"
          " 06 00 00 00 17 03 00 61 00 62 00 00 00 00 01 00 00 00 02 00 00 00 00 00");
  const auto condFmt = Hex("01 00 01 00 01 00 03 00 01 00 02 00 01 00 01 00 03 00 01 00 02 00");
  const auto cf = Hex("01 05 03 00 00 00 00 00 00 20 00 00 00 00 0A 00 1E 05 00");
  ASSERT_EQ(objects.DataValidator().ReadRecord(kRecDV, dv, calculator), kResultOk);
  ASSERT_EQ(objects.CondFormatter().ReadRecord(kRecCondFmt, condFmt, calculator), kResultOk);
  ASSERT_EQ(objects.CondFormatter().ReadRecord(kRecCF, cf, calculator), kResultOk);
}

TEST(SheetObjectsInABook, AreasFollowClearedInsertedAndDeletedCells) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet& sheet = *book->Worksheets()->Add();
  AddObjects(sheet);
  TXLSDrawingObjects& objects = DrawingObjects(sheet);
  auto validation = [&] {
    return objects.DataValidator().Count() ? AreaText(objects.DataValidator().Validations()[0]->Areas()) : "";
  };
  auto format = [&] {
    return objects.CondFormatter().Count() ? AreaText(objects.CondFormatter().Formats()[0]->Areas()) : "";
  };
  struct Step {
    const char* what;
    const char16_t* first;
    const char16_t* last;
    int32_t operation;  // 0 clear, 1 insert, 2 delete
    int32_t shift;
    const char* validation;
    const char* format;
  };
  const Step steps[] = {
      {"insert A2:D2 down", u"A2", u"D2", 1, xlShiftDown, "A1:A1 A3:A4", "B3:C5"},
      {"delete row 1", u"A1", u"IV1", 2, xlShiftUp, "A2:A3", "B2:C4"},
      {"insert rows 1:2", u"A1", u"IV2", 1, xlShiftDown, "A4:A5", "B4:C6"},
      {"delete A1:A4 up", u"A1", u"A4", 2, xlShiftUp, "A1:A1", "B4:C6"},
      {"insert B1 right", u"B1", u"B1", 1, xlShiftToRight, "A1:A1", "B4:C6"},
      {"clear B5:C5", u"B5", u"C5", 0, 0, "A1:A1", "B4:C4 B6:C6"},
      {"clear A1:C9", u"A1", u"C9", 0, 0, "", ""},
  };
  for (const Step& s : steps) {
    XLSPtr<IXLSRange> range = sheet.Range(s.first, s.last);
    TVariant done;
    if (s.operation == 0) range->Clear();
    if (s.operation == 1) range->Insert(TVariant(s.shift), done);
    if (s.operation == 2) range->Delete(TVariant(s.shift), done);
    EXPECT_EQ(validation(), s.validation) << s.what;
    EXPECT_EQ(format(), s.format) << s.what;
  }
}

TEST(SheetObjectsInABook, SaveAndOpenKeepFormatsValidationsAndTheFilter) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet& sheet = *book->Worksheets()->Add();
  sheet.Cells()->Item(2, 2)->SetValue(TVariant(1.0));
  AddObjects(sheet);
  sheet.Range(u"B2", u"D9")->AutoFilter();
  TXLSAutofilter& filter = DrawingObjects(sheet).Autofilter();
  ASSERT_TRUE(filter.Valid());
  EXPECT_EQ(DrawingObjects(sheet).Drawing().Count(), 3u);  // one arrow per column
  filter.Item(1).conditions[0] = {kDoperString, kDoperEqual, TVariant(std::u16string(u"x"))};
  for (const int32_t format : {kSaveBiff8, kSaveBiff5}) {
    TMemoryStream stream;
    ASSERT_EQ(book->SaveAs(stream, format), kResultOk);
    XLSPtr<TXLSWorkbook> read = CreateXLSWorkbook();
    TMemoryStream saved(stream.Bytes());
    ASSERT_EQ(read->Open(saved), kResultOk);
    IXLSWorksheet& again = *read->Worksheets()->Item(1);
    ASSERT_NE(again.SheetObjects(), nullptr) << format;
    TXLSDrawingObjects& objects = DrawingObjects(again);
    // BIFF5 has no conditional formats or validations.
    const bool biff8 = format == kSaveBiff8;
    ASSERT_EQ(objects.DataValidator().Count(), biff8 ? 1 : 0);
    ASSERT_EQ(objects.CondFormatter().Count(), biff8 ? 1 : 0);
    if (biff8) {
      EXPECT_EQ(AreaText(objects.DataValidator().Validations()[0]->Areas()), "A1:A3");
      EXPECT_EQ(objects.DataValidator().Validations()[0]->Text(TDataValidation::tErrorText), u"Bad");
      EXPECT_EQ(AreaText(objects.CondFormatter().Formats()[0]->Areas()), "B2:C4");
    }
    const TXLSAutofilter& readFilter = objects.Autofilter();
    ASSERT_TRUE(readFilter.Valid()) << format;
    EXPECT_EQ(readFilter.HeaderRow(), 2) << format;
    EXPECT_EQ(readFilter.FirstColumn(), 2) << format;
    EXPECT_EQ(readFilter.LastColumn(), 4) << format;
    EXPECT_EQ(readFilter.LastRow(), 9) << format;
    EXPECT_EQ(readFilter.Item(1).conditions[0].value.ToWide(), u"x") << format;
    // The arrows come back with the drawing (BIFF8 only) on their columns.
    EXPECT_EQ(objects.Drawing().Count(), biff8 ? 3u : 0u) << format;
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(readFilter.Item(i).arrow != 0, biff8) << format << " column " << i;
  }

  // A second AutoFilter removes the filter.
  sheet.Range(u"B2", u"D9")->AutoFilter();
  EXPECT_EQ(ValidAutofilter(sheet), nullptr);
  EXPECT_EQ(DrawingObjects(sheet).Drawing().Count(), 0u);
}

// A validation or conditional format over more areas than one record holds
// is written with CONTINUE records and must be read whole.
TEST(SheetObjectsInABook, ManyAreasSurviveTheirContinueRecords) {
  constexpr uint16_t kAreas = 1500;  // 12,000 bytes of areas
  auto add16 = [](std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
  };
  // Every other row of column A (validation) and of column B (format).
  std::vector<uint8_t> dv =
      Hex("83 01 00 00 01 00 00 00 01 00 00 00 01 00 00 00 03 00 01 42 00 61 00 64 00"
          " 06 00 00 00 17 03 00 61 00 62 00 00 00 00");
  std::vector<uint8_t> condFmt = Hex("01 00 01 00");
  for (const uint16_t value : {uint16_t{0}, uint16_t{2 * (kAreas - 1)}, uint16_t{1}, uint16_t{1}})
    add16(condFmt, value);
  add16(dv, kAreas);
  add16(condFmt, kAreas);
  for (uint16_t i = 0; i < kAreas; ++i) {
    for (const uint16_t value : {uint16_t(2 * i), uint16_t(2 * i), uint16_t{0}, uint16_t{0}}) add16(dv, value);
    for (const uint16_t value : {uint16_t(2 * i), uint16_t(2 * i), uint16_t{1}, uint16_t{1}}) add16(condFmt, value);
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet& sheet = *book->Worksheets()->Add();
  TXLSDrawingObjects& objects = DrawingObjects(sheet);
  TXLSCalculator& calculator = WorkbookCalculator(*book);
  ASSERT_EQ(objects.DataValidator().ReadRecord(kRecDV, dv, calculator), kResultOk);
  ASSERT_EQ(objects.CondFormatter().ReadRecord(kRecCondFmt, condFmt, calculator), kResultOk);
  ASSERT_EQ(objects.CondFormatter().ReadRecord(kRecCF, Hex("01 05 03 00 00 00 00 00 00 20 00 00 00 00 0A 00 1E 05 00"),
                                               calculator),
            kResultOk);
  ASSERT_EQ(objects.DataValidator().Validations()[0]->Areas().Areas().size(), kAreas);

  TMemoryStream stream;
  ASSERT_EQ(book->SaveAs(stream, kSaveBiff8), kResultOk);
  XLSPtr<TXLSWorkbook> read = CreateXLSWorkbook();
  TMemoryStream saved(stream.Bytes());
  ASSERT_EQ(read->Open(saved), kResultOk);
  TXLSDrawingObjects& again = DrawingObjects(*read->Worksheets()->Item(1));
  ASSERT_EQ(again.DataValidator().Count(), 1);
  ASSERT_EQ(again.CondFormatter().Count(), 1);
  const auto& validationAreas = again.DataValidator().Validations()[0]->Areas().Areas();
  const auto& formatAreas = again.CondFormatter().Formats()[0]->Areas().Areas();
  ASSERT_EQ(validationAreas.size(), kAreas);
  ASSERT_EQ(formatAreas.size(), kAreas);
  EXPECT_EQ(validationAreas.back().firstRow, 2 * (kAreas - 1));
  EXPECT_EQ(formatAreas.back().firstColumn, 1);
  EXPECT_EQ(again.DataValidator().Validations()[0]->Text(TDataValidation::tErrorText), u"Bad");
}

}  // namespace
}  // namespace lx

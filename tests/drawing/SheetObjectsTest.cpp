// Conditional formats, validations and the autofilter: how their areas
// follow cleared, inserted and deleted cells, and their record bytes.
#include <gtest/gtest.h>

#include <span>

#include "lxCalculator.h"
#include "lxCondFormat.h"
#include "lxDataCheck.h"
#include "lxFilter.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

// "A1:D4"-style text of areas, for readable expectations.
std::string AreaText(const std::vector<TCondRange>& areas) {
  std::string text;
  for (const TCondRange& a : areas) {
    if (!text.empty()) text += ' ';
    text += static_cast<char>('A' + a.firstColumn) + std::to_string(a.firstRow + 1) + ':' +
            static_cast<char>('A' + a.lastColumn) + std::to_string(a.lastRow + 1);
  }
  return text;
}

std::string RecordsHex(const std::vector<std::unique_ptr<TXLSBlob>>& records) {
  std::string text;
  for (const auto& r : records) {
    if (!text.empty()) text += " | ";
    text += ToHex(r->Data(), r->Length());
  }
  return text;
}

TEST(SheetObjectAreas, ClearingCutsAreasIntoPiecesAroundTheRectangle) {
  struct Case {
    const char* name;
    TXLSAreaBounds cut;  // first row, first column, last column, last row
    const char* expected;
  };
  const Case cases[] = {
      {"inside: four pieces", {1, 1, 2, 2}, "A1:D1 D2:D4 A4:C4 A2:A3"},
      {"the whole area", {0, 0, 3, 3}, ""},
      {"larger than the area", {0, 0, 9, 9}, ""},
      {"from the left edge: no left piece", {1, 0, 1, 2}, "A1:D1 C2:D4 A4:B4"},
      {"apart from the area", {5, 5, 6, 6}, "A1:D4"},
      {"whole rows 2 to 3", {1, -1, -1, 2}, "A1:D1 A4:D4"},
      {"whole columns from C", {-1, 2, -1, -1}, "A1:B4"},
  };
  for (const Case& c : cases) {
    TDVRangeList list;
    list.Add(TDVRange(0, 0, 3, 3));
    list.ClearArea(c.cut);
    EXPECT_EQ(AreaText(list.Areas()), c.expected) << c.name;
  }
}

TEST(SheetObjectAreas, InsertedAndDeletedRowsMoveThePartsInTheBlock) {
  struct Case {
    const char* name;
    TCondRange area;
    TXLSAreaBounds block;
    int32_t rows;
    int32_t columns;
    const char* expected;
  };
  const Case cases[] = {
      {"rows inserted above", {4, 0, 9, 0}, {2, -1, -1, -1}, 2, 0, "A7:A12"},
      {"rows inserted inside split it", {0, 0, 9, 0}, {4, -1, -1, -1}, 2, 0, "A1:A4 A7:A12"},
      {"rows inserted below leave it", {0, 0, 3, 1}, {4, -1, -1, -1}, 2, 0, "A1:B4"},
      {"rows deleted above move it up", {6, 1, 8, 1}, {5, -1, -1, -1}, -3, 0, "B4:B6"},
      {"cells inserted right of its first column", {0, 0, 0, 3}, {0, 1, -1, 0}, 0, 2, "A1:A1 D1:F1"},
      {"moved above the first row starts at it", {2, 0, 5, 0}, {2, -1, -1, -1}, -4, 0, "A1:A2"},
      {"moved wholly above the sheet is gone", {1, 0, 2, 0}, {1, -1, -1, -1}, -5, 0, ""},
      {"moved past the last row is clipped", {65530, 0, 65534, 0}, {0, -1, -1, -1}, 3, 0, "A65534:A65536"},
  };
  for (const Case& c : cases) {
    TCondRangeList list;
    list.Add(c.area);
    list.ShiftArea(c.block, c.rows, c.columns);
    EXPECT_EQ(AreaText(list.Areas()), c.expected) << c.name;
  }
}

// CONDFMT over B2:C4 with one rule, then a CF "cell value greater than 5"
// with a pattern block, and a second format over E1 with a formula rule
// whose first formula is a relative reference (tRefN, value class) and
// whose second is no formula this engine decodes.
const char* const kCondFmt1 = "01 00 01 00 01 00 03 00 01 00 02 00 01 00 01 00 03 00 01 00 02 00";
const char* const kCF1 = "01 05 03 00 00 00 00 00 00 20 00 00 00 00 0A 00 1E 05 00";
const char* const kCondFmt2 = "01 00 00 00 00 00 00 00 04 00 04 00 01 00 00 00 00 00 04 00 04 00";
const char* const kCF2 = "02 00 05 00 02 00 00 00 00 20 00 00 00 00 0A 00 4C 00 00 00 C0 FF 01";

TEST(ConditionalFormats, ReadRecordsAreWrittenBackWithTheirRulesAndAreas) {
  TXLSCalculator calculator;
  TCondFormatter formatter;
  for (auto [number, hex] :
       {std::pair{kRecCondFmt, kCondFmt1}, {kRecCF, kCF1}, {kRecCondFmt, kCondFmt2}, {kRecCF, kCF2}}) {
    const auto bytes = Hex(hex);
    ASSERT_EQ(formatter.ReadRecord(number, bytes, calculator), kResultOk);
  }
  ASSERT_EQ(formatter.Count(), 2);
  EXPECT_TRUE(formatter.Formats()[0]->Rules()[0].Formula1().Decoded());
  EXPECT_FALSE(formatter.Formats()[1]->Rules()[0].Formula2().Decoded());

  std::vector<std::unique_ptr<TXLSBlob>> records;
  const int32_t bytes = formatter.Write(records, calculator);
  // The integer comes back as a number token (tNum 5.0).
  EXPECT_EQ(RecordsHex(records), ToHex(Hex(std::string("B0 01 16 00 ") + kCondFmt1)) + " | " +
                                     ToHex(Hex("B1 01 19 00 01 05 09 00 00 00 00 00 00 20 00 00 00 00 0A 00"
                                               " 1F 00 00 00 00 00 00 14 40")) +
                                     " | " + ToHex(Hex(std::string("B0 01 16 00 ") + kCondFmt2)) + " | " +
                                     ToHex(Hex(std::string("B1 01 17 00 ") + kCF2)));
  EXPECT_EQ(bytes, 26 + 29 + 26 + 27);
  EXPECT_EQ(calculator.Formula().ReferenceMode(), 'A');
}

TEST(ConditionalFormats, FormatsWithoutRulesOrLeftWithoutAreasAreNotWritten) {
  TXLSCalculator calculator;
  TCondFormatter formatter;
  const auto condFmt1 = Hex(kCondFmt1);
  const auto condFmt2 = Hex(kCondFmt2);
  const auto cf = Hex(kCF1);
  ASSERT_EQ(formatter.ReadRecord(kRecCondFmt, condFmt1, calculator), kResultOk);  // no CF follows
  ASSERT_EQ(formatter.ReadRecord(kRecCondFmt, condFmt2, calculator), kResultOk);
  ASSERT_EQ(formatter.ReadRecord(kRecCF, cf, calculator), kResultOk);
  std::vector<std::unique_ptr<TXLSBlob>> records;
  formatter.Write(records, calculator);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0]->GetWord(4 + 4), 0);  // the E1 format's bounds: row 0

  formatter.ClearArea({0, 4, 4, 0});  // E1
  EXPECT_EQ(formatter.Count(), 1);
  records.clear();
  EXPECT_EQ(formatter.Write(records, calculator), 0);
  EXPECT_TRUE(records.empty());
}

TEST(ConditionalFormats, MalformedRecordsArePassedOver) {
  TXLSCalculator calculator;
  TCondFormatter formatter;
  const auto shortFmt = Hex("01 00 01 00 01 00 03 00 01 00 02 00 05 00 01 00");  // five areas declared, one given
  const auto fmt = Hex(kCondFmt1);
  const auto longFormulas = Hex("01 05 FF 00 00 00 00 00 00 20 00 00 1E 05 00");
  EXPECT_EQ(formatter.ReadRecord(kRecCondFmt, shortFmt, calculator), kResultOk);
  EXPECT_EQ(formatter.Count(), 0);
  EXPECT_EQ(formatter.ReadRecord(kRecCF, fmt, calculator), kResultOk);  // no format being read
  EXPECT_EQ(formatter.ReadRecord(kRecCondFmt, fmt, calculator), kResultOk);
  EXPECT_EQ(formatter.ReadRecord(kRecCF, longFormulas, calculator), kResultOk);
  ASSERT_EQ(formatter.Count(), 1);
  EXPECT_TRUE(formatter.Formats()[0]->Rules().empty());
}

// DVAL, then a list validation of "a", "b" over A1:A3 with an error title
// and text; its prompt text is a single NUL character in UTF-16.
const char* const kDVal = "04 00 0A 00 00 00 14 00 00 00 07 00 00 00 01 00 00 00";
const char* const kDVRead =
    "83 01 00 00  01 00 00 00  03 00 01 45 00 72 00 72 00  01 00 01 00 00  03 00 01 42 00 61 00 64 00"
    "  06 00 00 00 17 03 00 61 00 62  00 00 00 00  01 00 00 00 02 00 00 00 00 00";
// Written back, the list's text token is in UTF-16.
const char* const kDVWritten =
    "83 01 00 00  01 00 00 00  03 00 01 45 00 72 00 72 00  01 00 00 00  03 00 01 42 00 61 00 64 00"
    "  09 00 00 00 17 03 01 61 00 00 00 62 00  00 00 00 00  01 00 00 00 02 00 00 00 00 00";

TEST(DataValidation, ReadRecordsAreWrittenBackAndASingleNulTextIsEmpty) {
  TXLSCalculator calculator;
  TDataValidator validator;
  const auto dval = Hex(kDVal);
  const auto dv = Hex(kDVRead);
  ASSERT_EQ(validator.ReadRecord(kRecDVal, dval, calculator), kResultOk);
  ASSERT_EQ(validator.ReadRecord(kRecDV, dv, calculator), kResultOk);
  ASSERT_EQ(validator.Count(), 1);
  const TDataValidation& v = *validator.Validations()[0];
  EXPECT_EQ(v.Type(), kValidationTypeList);
  EXPECT_EQ(v.Text(TDataValidation::tErrorText), u"Bad");
  EXPECT_EQ(v.Text(TDataValidation::tPromptText), u"");
  EXPECT_EQ(validator.DropDownObject(), 7u);

  std::vector<std::unique_ptr<TXLSBlob>> records;
  EXPECT_EQ(validator.Write(records, calculator), 22 + 4 + static_cast<int32_t>(Hex(kDVWritten).size()));
  EXPECT_EQ(RecordsHex(records), "B2 01 12 00 04 00 0A 00 00 00 14 00 00 00 FF FF FF FF 01 00 00 00 | " +
                                     ToHex(Hex("BE 01 39 00")) + " " + ToHex(Hex(kDVWritten)));

  // Clearing its cells removes it, and then nothing is written.
  validator.ClearArea({0, 0, 0, 2});
  records.clear();
  EXPECT_EQ(validator.Write(records, calculator), 0);
  EXPECT_TRUE(records.empty());
}

TEST(DataValidation, ATextRunningPastTheRecordDropsTheValidation) {
  TXLSCalculator calculator;
  TDataValidator validator;
  const auto dv = Hex("83 01 00 00  09 00 01 45 00");
  EXPECT_EQ(validator.ReadRecord(kRecDV, dv, calculator), kResultOk);
  EXPECT_EQ(validator.Count(), 0);
}

class TFakeArrows final : public TXLSAutofilterArrows {
 public:
  int32_t AddAutoFilterArrow(int32_t row, int32_t column) override {
    added.emplace_back(row, column);
    return static_cast<int32_t>(added.size());
  }
  void RemoveAutoFilterArrow(int32_t arrow) override { removed.push_back(arrow); }
  std::vector<std::pair<int32_t, int32_t>> added;
  std::vector<int32_t> removed;
};

TEST(Autofilter, RecordsWithAndWithoutConditions) {
  TFakeArrows arrows;
  TXLSAutofilter filter;
  filter.SetArrows(&arrows);
  filter.Create(3, 2, 4, 3);  // B3:D3
  EXPECT_EQ(arrows.added, (std::vector<std::pair<int32_t, int32_t>>{{2, 1}, {2, 2}, {2, 3}}));
  std::vector<std::unique_ptr<TXLSBlob>> records;
  filter.WriteItems(records, true);
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(filter.BuildFilterMode(), nullptr);
  ASSERT_NE(filter.BuildFilterInfo(), nullptr);
  EXPECT_EQ(ToHex(filter.BuildFilterInfo()->Data(), 6), "9D 00 02 00 03 00");

  // Column B: equal to TRUE; column C: greater than 5, or equal to "ab";
  // column D: top 5 items.
  filter.Item(0).conditions[0] = {kDoperBoolErr, kDoperEqual, TVariant(true)};
  TXLSAutofilterItem& c = filter.Item(1);
  c.join = 1;
  c.conditions[0] = {kDoperDouble, 4, TVariant(5.0)};
  c.conditions[1] = {kDoperString, kDoperEqual, TVariant(std::u16string(u"ab"))};
  filter.Item(2).top10Mode = 1;
  filter.Item(2).top10Count = 5;
  const char* const itemC =
      "9E 00 1D 00 01 00 09 00 04 04 00 00 00 00 00 00 14 40 06 02 00 00 00 00 02 00 00 00 01 61 00 62 00";
  filter.WriteItems(records, true);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(ToHex(records[0]->Data(), records[0]->Length()),
            ToHex(Hex("9E 00 18 00 00 00 04 00 08 02 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00")));
  EXPECT_EQ(ToHex(records[1]->Data(), records[1]->Length()), ToHex(Hex(itemC)));
  EXPECT_EQ(ToHex(records[2]->Data(), records[2]->Length()),
            ToHex(Hex("9E 00 18 00 02 00 90 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00")));
  ASSERT_NE(filter.BuildFilterMode(), nullptr);
  EXPECT_EQ(filter.BuildFilterMode()->Length(), 4u);

  // Read back into a filter of three columns, the records come out equal.
  TXLSAutofilter read;
  read.SetColumnCount(3);
  read.SetBounds(3, 2, 4, 3);
  for (const auto& r : records)
    EXPECT_EQ(read.ReadAutoFilter(std::span(r->Data() + 4, r->Length() - 4), true), kResultOk);
  std::vector<std::unique_ptr<TXLSBlob>> again;
  read.WriteItems(again, true);
  EXPECT_EQ(RecordsHex(again), RecordsHex(records));

  // A new filter takes the old one's arrows away; removing it writes nothing.
  filter.Create(1, 1, 1, 10);
  EXPECT_EQ(arrows.removed, (std::vector<int32_t>{1, 2, 3}));
  filter.Remove();
  EXPECT_EQ(arrows.removed.back(), 4);
  EXPECT_EQ(filter.BuildFilterInfo(), nullptr);
}

TEST(Autofilter, ArrowsReadFromTheDrawingPlaceTheFilterAndTheirColumns) {
  TFakeArrows arrows;
  TXLSAutofilter filter;
  filter.SetArrows(&arrows);
  EXPECT_FALSE(filter.ArrowFound(4, 2, 11));  // no AUTOFILTERINFO yet
  filter.SetColumnCount(2);
  EXPECT_TRUE(filter.ArrowFound(4, 2, 11));  // C5 places the filter
  EXPECT_TRUE(filter.ArrowFound(4, 3, 12));
  EXPECT_FALSE(filter.ArrowFound(4, 4, 13));  // past its columns
  EXPECT_FALSE(filter.ArrowFound(5, 3, 14));  // not on the header row
  EXPECT_TRUE(filter.ArrowFound(4, 3, 15));   // replaces the arrow of D
  EXPECT_EQ(arrows.removed, std::vector<int32_t>{12});
  EXPECT_TRUE(filter.Valid());
  EXPECT_EQ(filter.HeaderRow(), 5);
  EXPECT_EQ(filter.FirstColumn(), 3);
  EXPECT_EQ(filter.LastColumn(), 4);
  EXPECT_EQ(filter.Item(0).arrow, 11);
  EXPECT_EQ(filter.Item(1).arrow, 15);
}

}  // namespace
}  // namespace lx

// FORMULA records: the cell's tokens for the file version, the calculated
// result (with a STRING record for text), the calculate-on-load option only
// where the engine computes nothing, and nothing for a formula that cannot
// be written.
#include <gtest/gtest.h>

#include <vector>

#include "lxHandle.h"
#include "lxWriteGlobals.h"
#include "lxWriteSheet.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

using test::Hex;

// The FORMULA records of the first sheet, or with strings also the STRING
// records, in order.
std::vector<test::TRecord> FormulaRecords(TXLSWorkbook& book, int32_t format, bool strings = false) {
  TXLSGlobalsWriter writer(book, format);
  EXPECT_EQ(writer.WriteWorkbook(), 1);
  std::vector<test::TRecord> found;
  for (auto& r : test::WalkRecords(writer.Sheet(1)->List(TXLSSheetWriter::lkCells).Bytes()))
    if (r.number == kRecFormula || (strings && r.number == kRecString)) found.push_back(r);
  return found;
}

TEST(FormulaRecords, TokensResultAndOptionsInBothVersions) {
  struct Case {
    const char16_t* text;
    int32_t format;
    std::vector<uint8_t> payload;
  };
  // Cell C3 (row 2, column 2), XF 0 (no format of its own); then the result,
  // options 0 and the reserved 0.
  const std::string head = "02 00 02 00 00 00 ";
  const std::string one = "00 00 00 00 00 00 F0 3F  00 00  00 00 00 00 ";
  const std::string empty = "03 00 00 00 00 00 FF FF  00 00  00 00 00 00 ";
  const std::string text = "00 00 00 00 00 00 FF FF  00 00  00 00 00 00 ";
  const std::vector<Case> cases = {
      // tRefV A1 (relative row and column flags in the column word), tNum 1,
      // tAdd; A1 is empty, so the result is 1.
      {u"=A1+1", kSaveBiff8, Hex(head + one + "0F 00  44 00 00 00 C0  1F 00 00 00 00 00 00 F0 3F  03")},
      // BIFF5 keeps the flags in the row word and the column in one byte.
      {u"=A1+1", kSaveBiff5, Hex(head + one + "0E 00  44 00 C0 00  1F 00 00 00 00 00 00 F0 3F  03")},
      // The area is asked for as a reference inside SUM; tFuncVarV, 1
      // argument, function 4. A sum of nothing is empty.
      {u"=SUM($A$1:B2)", kSaveBiff8, Hex(head + empty + "0D 00  25 00 00 01 00 00 00 01 C0  42 01 04 00")},
      // A string in BIFF8 is UTF-16 with the option byte, in BIFF5 8-bit.
      {u"=\"ab\"", kSaveBiff8, Hex(head + text + "07 00  17 02 01 61 00 62 00")},
      {u"=\"ab\"", kSaveBiff5, Hex(head + text + "04 00  17 02 61 62")},
  };
  for (const Case& c : cases) {
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    sheet->Cells()->Item(3, 3)->SetValue(TVariant(c.text));
    const auto records = FormulaRecords(*book, c.format);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].payload, c.payload) << WideToAnsi(c.text) << " format " << c.format;
  }
}

TEST(FormulaRecords, FormulaThatCannotBeWrittenLeavesItsCellOut) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"=ROUND(1)"));  // ROUND takes two arguments
  sheet->Cells()->Item(2, 1)->SetValue(TVariant(u"=PI()"));
  ASSERT_TRUE(sheet->Cells()->Item(1, 1)->HasFormula());
  const auto records = FormulaRecords(*book, kSaveBiff8);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].payload, Hex("01 00 00 00 00 00  18 2D 44 54 FB 21 09 40  00 00  00 00 00 00  03 00  41 13 00"));
}

TEST(FormulaRecords, ResultBytesOptionsAndStringRecords) {
  struct Case {
    const char16_t* text;
    int32_t format;
    const char* result;  // 8 result bytes and the options
    const char* string;  // STRING payload, or empty for none
  };
  const std::vector<Case> cases = {
      {u"=1=1", kSaveBiff8, "01 00 01 00 00 00 FF FF  00 00", ""},
      {u"=1=2", kSaveBiff5, "01 00 00 00 00 00 FF FF  00 00", ""},
      {u"=1/0", kSaveBiff8, "02 00 07 00 00 00 FF FF  00 00", ""},
      {u"=SUMIF(B1)", kSaveBiff8, "02 00 2A 00 00 00 FF FF  00 00", ""},  // #N/A
      {u"=\"\"", kSaveBiff8, "03 00 00 00 00 00 FF FF  00 00", ""},
      {u"=\"\"", kSaveBiff5, "00 00 00 00 00 00 00 00  00 00", ""},
      {u"=\"h\"&\"\u00e9\"", kSaveBiff8, "00 00 00 00 00 00 FF FF  00 00", "02 00 01 68 00 E9 00"},
      {u"=\"h\"&\"\u00e9\"", kSaveBiff5, "00 00 00 00 00 00 FF FF  00 00", "02 00 68 E9"},
      {u"=-2.5", kSaveBiff8, "00 00 00 00 00 00 04 C0  00 00", ""},
      // Not calculated here: no value a reader could take for the result,
      // and calculated on load.
      {u"=NA()", kSaveBiff8, "03 00 00 00 00 00 FF FF  02 00", ""},
      {u"=EXP(1)", kSaveBiff5, "00 00 00 00 00 00 00 00  02 00", ""},
      {u"=A1+1", kSaveBiff8, "03 00 00 00 00 00 FF FF  02 00", ""},  // circular: the cell is A1
  };
  for (const Case& c : cases) {
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    sheet->Cells()->Item(1, 1)->SetValue(TVariant(c.text));
    const auto records = FormulaRecords(*book, c.format, true);
    const std::string name = WideToAnsi(c.text) + " format " + std::to_string(c.format);
    ASSERT_EQ(records.size(), *c.string ? 2u : 1u) << name;
    ASSERT_GE(records[0].payload.size(), 16u) << name;
    EXPECT_EQ(std::vector<uint8_t>(records[0].payload.begin() + 6, records[0].payload.begin() + 16), Hex(c.result))
        << name;
    if (*c.string) {
      EXPECT_EQ(records[1].number, kRecString) << name;
      EXPECT_EQ(records[1].payload, Hex(c.string)) << name;
    }
  }
}

TEST(FormulaRecords, DateResultsFollowTheDateSystem) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"=DATE(2023;3;15)"));
  sheet->Cells()->Item(2, 1)->SetValue(TVariant(u"=B1"));
  sheet->Cells()->Item(1, 2)->SetValue(TVariant::FromDate(45000));
  book->SetDate1904(true);
  const auto records = FormulaRecords(*book, kSaveBiff8);
  ASSERT_EQ(records.size(), 2u);
  // 45000 - 1462 = 43538 = 0x40E541 0000000000
  for (const auto& record : records)
    EXPECT_EQ(std::vector<uint8_t>(record.payload.begin() + 6, record.payload.begin() + 14),
              Hex("00 00 00 00 40 42 E5 40"));
}

}  // namespace
}  // namespace lx

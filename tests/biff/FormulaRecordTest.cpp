// FORMULA records: the cell's tokens for the file version, a placeholder
// result with the calculate-on-load option, and nothing for a formula that
// cannot be written.
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

std::vector<test::TRecord> FormulaRecords(TXLSWorkbook& book, int32_t format) {
  TXLSGlobalsWriter writer(book, format);
  EXPECT_EQ(writer.WriteWorkbook(), 1);
  std::vector<test::TRecord> found;
  for (auto& r : test::WalkRecords(writer.Sheet(1)->List(TXLSSheetWriter::lkCells).Bytes()))
    if (r.number == kRecFormula) found.push_back(r);
  return found;
}

TEST(FormulaRecords, TokensResultAndOptionsInBothVersions) {
  struct Case {
    const char16_t* text;
    int32_t format;
    std::vector<uint8_t> payload;
  };
  // Cell C3 (row 2, column 2), XF 0 (no format of its own); result 0, options
  // 0x0002.
  const char* head = "02 00 02 00 00 00  00 00 00 00 00 00 00 00  02 00  00 00 00 00 ";
  const std::vector<Case> cases = {
      // tRefV A1 (relative row and column flags in the column word), tNum 1,
      // tAdd.
      {u"=A1+1", kSaveBiff8, Hex(std::string(head) + "0F 00  44 00 00 00 C0  1F 00 00 00 00 00 00 F0 3F  03")},
      // BIFF5 keeps the flags in the row word and the column in one byte.
      {u"=A1+1", kSaveBiff5, Hex(std::string(head) + "0E 00  44 00 C0 00  1F 00 00 00 00 00 00 F0 3F  03")},
      // The area is asked for as a reference inside SUM; tFuncVarV, 1
      // argument, function 4.
      {u"=SUM($A$1:B2)", kSaveBiff8, Hex(std::string(head) + "0D 00  25 00 00 01 00 00 00 01 C0  42 01 04 00")},
      // A string in BIFF8 is UTF-16 with the option byte, in BIFF5 8-bit.
      {u"=\"ab\"", kSaveBiff8, Hex(std::string(head) + "07 00  17 02 01 61 00 62 00")},
      {u"=\"ab\"", kSaveBiff5, Hex(std::string(head) + "04 00  17 02 61 62")},
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
  EXPECT_EQ(records[0].payload, Hex("01 00 00 00 00 00  00 00 00 00 00 00 00 00  02 00  00 00 00 00  03 00  41 13 00"));
}

}  // namespace
}  // namespace lx

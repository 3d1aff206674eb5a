// FORMULA records: the cell's tokens for the file version, the calculated
// result (with a STRING record for text), the calculate-on-load option only
// where the engine computes nothing, and nothing for a formula that cannot
// be written.
#include <gtest/gtest.h>

#include <vector>

#include "lxCalculator.h"
#include "lxCellHeap.h"
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

TEST(FormulaRecords, FormulaThatCannotBeWrittenKeepsItsCellAsABlank) {
  // Seventeen 255-character strings take 17 × 513 token bytes in BIFF8, more
  // than one record holds (and peers take no CONTINUE after a FORMULA).
  std::u16string tooLong = u"=LEN(\"";
  for (int i = 0; i < 17; ++i) tooLong += (i ? u"\"&\"" : u"") + std::u16string(255, u'x');
  tooLong += u"\")";
  struct Case {
    std::u16string text;
    int32_t format;
  };
  // ROUND takes two arguments; AVERAGEA came with BIFF8 and a BIFF5 reader
  // does not know it.
  for (const Case& c : {Case{u"=ROUND(1)", kSaveBiff8}, Case{u"=AVERAGEA(1)", kSaveBiff5}, Case{tooLong, kSaveBiff8}}) {
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    sheet->Cells()->Item(1, 1)->SetValue(TVariant(c.text));
    sheet->Cells()->Item(2, 1)->SetValue(TVariant(u"=PI()"));
    ASSERT_TRUE(sheet->Cells()->Item(1, 1)->HasFormula());
    TXLSGlobalsWriter writer(*book, c.format);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    std::vector<uint16_t> numbers;
    for (auto& r : test::WalkRecords(writer.Sheet(1)->List(TXLSSheetWriter::lkCells).Bytes())) {
      if (r.number == kRecFormula || r.number == kRecBlank || r.number == kRecContinue) numbers.push_back(r.number);
      if (r.number == kRecBlank) {
        EXPECT_EQ(r.payload, Hex("00 00 00 00 00 00"));
      }
    }
    EXPECT_EQ(numbers, (std::vector<uint16_t>{kRecBlank, kRecFormula})) << WideToAnsi(c.text.substr(0, 12));
  }
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

std::vector<std::vector<uint8_t>> FormulaAndArrayPayloads(TXLSWorkbook& book) {
  TXLSGlobalsWriter writer(book, kSaveBiff8);
  EXPECT_EQ(writer.WriteWorkbook(), 1);
  std::vector<std::vector<uint8_t>> written;
  for (auto& r : test::WalkRecords(writer.Sheet(1)->List(TXLSSheetWriter::lkCells).Bytes())) {
    if (r.number == kRecFormula) written.emplace_back(r.payload.begin() + 20, r.payload.end());
    if (r.number == kRecArray) written.push_back(r.payload);
  }
  return written;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// An array formula over B1:C2 whose tokens, as read from a file, are
// {1,2;3,TRUE,"z"}*A1: each cell's FORMULA points at the master B1 and the
// ARRAY record after B1's carries the tokens and the constant. Once B1 holds
// another formula, the members are written as formulas of their own.
TEST(FormulaRecords, ArrayFormulaWritesPointersAndOneArrayRecord) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  TXLSCalculator& calculator = WorkbookCalculator(*book);
  auto tokensAt = [](const char* a1) { return Hex(std::string("0E 00  40 00 00 00 00 00 00 00  44 ") + a1 + "  05"); };
  const std::vector<uint8_t> constant =
      Hex("01 01 00  01 00 00 00 00 00 00 F0 3F  01 00 00 00 00 00 00 00 40"
          "  04 01 00 00 00 00 00 00 00  02 01 00 01 7A 00");
  const std::vector<uint8_t> fileBytes = Join(tokensAt("00 00 00 C0"), constant);
  TXLSBlob bytes;
  bytes.AddBytes(fileBytes.data(), static_cast<uint32_t>(fileBytes.size()));
  auto master = calculator.DecodeFormulaBytes(bytes, 0, kBiff8Version);
  ASSERT_TRUE(master);
  ASSERT_EQ(master->Arrays().size(), 1u);
  master->SetArrayMaster(0, 1, 1, 2);
  TXLSCellHeap& heap = sheet->CellHeap();
  const std::vector<std::pair<int32_t, int32_t>> block = {{0, 1}, {0, 2}, {1, 1}, {1, 2}};
  for (auto [row, column] : block) {
    TXLSCellRef* cell = heap.GetCell(row, column);
    cell->SetFormula(row == 0 && column == 1 ? master : TXLSCompiledFormula::ArrayMember(master, row, column));
    cell->Kind = ckFormula;
  }
  const std::vector<uint8_t> toB1 = Hex("05 00 01 00 00 01 00");
  EXPECT_EQ(FormulaAndArrayPayloads(*book),
            (std::vector<std::vector<uint8_t>>{toB1, Join(Hex("00 00 01 00 01 02 02 00 00 00 00 00"), fileBytes), toB1,
                                               toB1, toB1}));

  sheet->Cells()->Item(1, 2)->SetValue(TVariant(u"=PI()"));
  EXPECT_EQ(FormulaAndArrayPayloads(*book),
            (std::vector<std::vector<uint8_t>>{Hex("03 00 41 13 00"), Join(tokensAt("00 00 01 C0"), constant),
                                               Join(tokensAt("01 00 00 C0"), constant),
                                               Join(tokensAt("01 00 01 C0"), constant)}));
}

TEST(FormulaRecords, ArrayFormulaTextIsTheMastersInBraces) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  TXLSCalculator& calculator = WorkbookCalculator(*book);
  auto master = calculator.CompileFormula("SUM(A1:A2)*B1", 0);
  ASSERT_TRUE(master);
  master->SetArrayMaster(4, 2, 5, 3);
  auto member = TXLSCompiledFormula::ArrayMember(master, 5, 3);
  EXPECT_EQ(calculator.GetFormulaText(*member, 5, 3), "{=SUM(A1:A2)*B1}");
  EXPECT_EQ(calculator.GetFormulaText(*master, 4, 2), "{=SUM(A1:A2)*B1}");
  // A copy of a member alone is an ordinary formula, moved to its cell.
  EXPECT_EQ(calculator.GetFormulaText(*member->Copy(), 5, 3), "=SUM(B2:B3)*C2");
}

}  // namespace
}  // namespace lx

#include <gtest/gtest.h>

#include "support/FakeSheets.h"

#include <memory>
#include <string>

#include "lxConstants.h"
#include "lxFormula.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

// Sheets Sheet1, My Sheet, Sheet3; names Total (written as 3) at workbook
// level and Local (written as 4) on My Sheet. Every formula gets a fresh
// external-sheet table, so the REF numbering of its one entry is 1.
class FormulaEncoder : public ::testing::Test {
 protected:
  std::string Encode(std::string_view text, bool biff5, int32_t topClass = kClassValue, int32_t rowShift = 0) {
    TlxExternSheetSheet table(test::FakeSheetLinks(&sheets_));
    TlxExternSheetNameLinks names;
    names.nameIdentifier = [](std::u16string_view name, int32_t sheet) {
      if (name == u"Total") return 7;
      return name == u"Local" && sheet == 2 ? 8 : -1;
    };
    names.nameWrittenIndex = [](int32_t id) { return id == 7 ? 3 : id == 8 ? 4 : -1; };
    table.SetNameLinks(names);
    TXLSFormula formula(&table);
    formula.SetBiff5(biff5);
    auto tree = formula.ParseFormula(text, 1);
    if (!tree) return "parse failed";
    if (rowShift) tree = tree->CopyWithOffset(rowShift, 0);
    table.PrepareForSave();
    TXLSBlob out;
    if (formula.EncodeFormula(*tree, topClass, 0, 0, out) != kResultOk) return "fail";
    return test::ToHex(out.Data(), out.Length());
  }

  test::TFakeSheets sheets_{{1, u"Sheet1"}, {2, u"My Sheet"}, {3, u"Sheet3"}};
};

struct TCase {
  const char* text;
  const char* hex;
};

// Operand classes by argument position across the table's groups, the
// class of the function token itself, fixed and variable counts (BIFF8).
TEST_F(FormulaEncoder, ArgumentsTakeTheirPositionsClass) {
  const TCase cases[] = {
      {"SUM(A1:B2)", "0D 00 25 00 00 01 00 00 C0 01 C0 42 01 04 00"},
      {"A1", "05 00 44 00 00 00 C0"},
      {"IF(A1;B1;C1)", "13 00 44 00 00 00 C0 24 00 00 01 C0 24 00 00 02 C0 42 03 01 00"},
      {"CHOOSE(A1;B1;C1)", "13 00 44 00 00 00 C0 24 00 00 01 C0 24 00 00 02 C0 42 03 64 00"},
      {"INDEX(A1:B2;A1;A1)", "17 00 25 00 00 01 00 00 C0 01 C0 44 00 00 00 C0 44 00 00 00 C0 42 03 1D 00"},
      {"VLOOKUP(A1;B1:C2;A2;A3)",
       "1C 00 44 00 00 00 C0 25 00 00 01 00 01 C0 02 C0 44 01 00 00 C0 44 02 00 00 C0 42 04 66 00"},
      {"SUMPRODUCT(A1:B2;A1:B2)", "16 00 65 00 00 01 00 00 C0 01 C0 65 00 00 01 00 00 C0 01 C0 42 02 E4 00"},
      {"PROB(A1:B2;A1:B2;A1)",
       "1B 00 65 00 00 01 00 00 C0 01 C0 65 00 00 01 00 00 C0 01 C0 44 00 00 00 C0 42 03 3D 01"},
      {"ROWS(A1:B2)", "0C 00 25 00 00 01 00 00 C0 01 C0 41 4C 00"},
      {"ABS(A1)", "08 00 44 00 00 00 C0 41 18 00"},
      {"MDETERM(A1:B2)", "0C 00 65 00 00 01 00 00 C0 01 C0 41 A3 00"},
      {"TRANSPOSE(A1:B2)", "0C 00 45 00 00 01 00 00 C0 01 C0 61 53 00"},
      {"COUNTIF(A1:B2;A1)", "11 00 25 00 00 01 00 00 C0 01 C0 44 00 00 00 C0 41 5A 01"},
      // A reference-valued function as a reference argument keeps class R.
      {"SUM(OFFSET(A1;A2;A3))", "17 00 24 00 00 00 C0 44 01 00 00 C0 44 02 00 00 C0 22 03 4E 00 42 01 04 00"},
      {"PI()", "03 00 41 13 00"},
      {"SUM()", "04 00 42 00 04 00"},
      {"SUM(TRUE;FALSE;TRUE)", "0A 00 1D 01 1D 00 1D 01 42 03 04 00"},
      {"-A1%", "07 00 44 00 00 00 C0 13 14"},
      {"TRUE=FALSE", "05 00 1D 01 1D 00 0B"},
      {"(1)&\"a\"\"b\"", "14 00 1F 00 00 00 00 00 00 F0 3F 15 17 03 01 61 00 22 00 62 00 08"},
      {"1<>2", "13 00 1F 00 00 00 00 00 00 F0 3F 1F 00 00 00 00 00 00 00 40 0E"},
      {"ROUND(1)", "fail"},
      {"ABS(1;2)", "fail"},
      {"NA(1)", "fail"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Encode(c.text, false), c.hex == std::string("fail") ? "fail" : Norm(c.hex)) << c.text;
  // A formula asked for a reference (as defined names are) keeps class R.
  EXPECT_EQ(Encode("A1", false, kClassReference), Norm("05 00 24 00 00 00 C0"));
  // The argument count is one byte: 255 arguments are the most.
  std::string many = "SUM(TRUE";
  for (int i = 1; i < 255; ++i) many += ";TRUE";
  EXPECT_NE(Encode(many + ")", false), "fail");
  EXPECT_EQ(Encode(many + ";TRUE)", false), "fail");
}

// The same formulas in both versions: BIFF5 keeps the relative flags in the
// row word and columns in one byte, writes 8-bit strings, and spells out
// 3-D and name references in its longer layouts.
TEST_F(FormulaEncoder, Biff5AgainstBiff8) {
  struct TPair {
    const char* text;
    const char* biff8;
    const char* biff5;
  };
  const TPair cases[] = {
      {"SUM(A1:B2)", "0D 00 25 00 00 01 00 00 C0 01 C0 42 01 04 00", "0B 00 25 00 C0 01 C0 00 01 42 01 04 00"},
      {"\"abc\"", "09 00 17 03 01 61 00 62 00 63 00", "05 00 17 03 61 62 63"},
      {"$A$1+A$1+$A1", "11 00 44 00 00 00 00 44 00 00 00 40 03 44 00 00 00 80 03",
       "0E 00 44 00 00 00 44 00 40 00 03 44 00 80 00 03"},
      {"SUM(1:3)", "0D 00 25 00 00 02 00 00 80 FF 80 42 01 04 00", "0B 00 25 00 80 02 80 00 FF 42 01 04 00"},
      // A whole column ends at the last row each version has.
      {"SUM(A:C)", "0D 00 25 00 00 FF FF 00 40 02 40 42 01 04 00", "0B 00 25 00 40 FF 7F 00 02 42 01 04 00"},
      {"'My Sheet'!B3", "07 00 5A 00 00 02 00 01 C0", "12 00 5A FE FF 00 00 00 00 00 00 00 00 01 00 01 00 02 C0 01"},
      {"Sheet1:Sheet3!A1:B2", "0B 00 5B 00 00 00 00 01 00 00 C0 01 C0",
       "15 00 5B FF FF 00 00 00 00 00 00 00 00 00 00 02 00 00 C0 01 C0 00 01"},
      {"Total", "05 00 43 03 00 00 00", "0F 00 43 03 00 00 00 00 00 00 00 00 00 00 00 00 00"},
      {"'My Sheet'!Local", "07 00 59 00 00 04 00 00 00",
       "19 00 59 FC FF 00 00 00 00 00 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00"},
      // Rows past 16384 do not exist in BIFF5: the reference is deleted.
      {"A20000", "05 00 44 1F 4E 00 C0", "04 00 4A 00 00 00"},
  };
  for (const TPair& c : cases) {
    EXPECT_EQ(Encode(c.text, false), Norm(c.biff8)) << c.text;
    EXPECT_EQ(Encode(c.text, true), Norm(c.biff5)) << c.text;
  }
}

// References moved off the sheet by a copy become deleted references; the
// formula itself still encodes.
TEST_F(FormulaEncoder, ReferencesOffTheSheetAreDeleted) {
  EXPECT_EQ(Encode("A1", false, kClassValue, -1), Norm("05 00 4A 00 00 00 00"));
  EXPECT_EQ(Encode("A1", true, kClassValue, -1), Norm("04 00 4A 00 00 00"));
  EXPECT_EQ(Encode("SUM(A1:B2)", false, kClassValue, -1), Norm("0D 00 2B 00 00 00 00 00 00 00 00 42 01 04 00"));
  EXPECT_EQ(Encode("Sheet3!A1", false, kClassValue, -1), Norm("07 00 5C 00 00 00 00 00 00"));
  EXPECT_EQ(Encode("A1+1", false, kClassValue, 65536), Norm("0F 00 4A 00 00 00 00 1F 00 00 00 00 00 00 F0 3F 03"));
}

// Offsets from the formula's cell: written as tRefN in relative mode, turned
// into positions from the base cell otherwise.
TEST_F(FormulaEncoder, RelativeFormReferences) {
  TXLSFormula formula;
  TXLSSyntaxItem node(kNodeReference);
  auto range = std::make_unique<TXLSRangeItem>();
  range->relativeForm = true;
  range->firstRow = range->lastRow = -1;
  range->firstColumn = range->lastColumn = 1;
  node.SetRange(std::move(range));
  TXLSBlob out;
  ASSERT_EQ(formula.EncodeFormula(node, kClassValue, 5, 5, out), kResultOk);
  EXPECT_EQ(test::ToHex(out.Data(), out.Length()), Norm("05 00 44 04 00 06 C0"));
  formula.SetReferenceMode('B');
  ASSERT_EQ(formula.EncodeFormula(node, kClassValue, 5, 5, out), kResultOk);
  EXPECT_EQ(test::ToHex(out.Data(), out.Length()), Norm("05 00 4C FF FF 01 C0"));
  formula.SetBiff5(true);
  ASSERT_EQ(formula.EncodeFormula(node, kClassValue, 5, 5, out), kResultOk);
  EXPECT_EQ(test::ToHex(out.Data(), out.Length()), Norm("04 00 4C FF FF 01"));
}

// Every function is reachable by its name and by its number, and no two
// entries share either.
TEST(FunctionTable, HoldsEveryFunctionOnce) {
  const TXLSFormula formula;
  const THashFunc& table = formula.Functions();
  EXPECT_EQ(table.Count(), 234);
  for (int32_t index = 0; index < 400; ++index) {
    const THashFuncEntry* entry = table.FindIndex(index);
    if (entry != nullptr) {
      EXPECT_EQ(table.Find(entry->name), entry) << index;
    }
  }
  int32_t byIndex = 0;
  for (int32_t index = 0; index < 400; ++index) byIndex += table.FindIndex(index) != nullptr;
  EXPECT_EQ(byIndex, 234);
  EXPECT_EQ(table.Find("ERROR.TYPE")->index, 261);
  EXPECT_EQ(table.FindIndex(78)->name, "OFFSET");
}

TEST_F(FormulaEncoder, UnresolvableSheetsFail) {
  TlxExternSheetSheet table(test::FakeSheetLinks(&sheets_));
  TXLSFormula formula(&table);
  auto tree = formula.ParseFormula("Sheet3!A1", 1);
  ASSERT_NE(tree, nullptr);
  TXLSBlob out;
  // Not numbered for a save yet (BIFF8), then the sheet is gone (both).
  EXPECT_EQ(formula.EncodeFormula(*tree, kClassValue, 0, 0, out), kResultFail);
  sheets_.pop_back();
  table.PrepareForSave();
  EXPECT_EQ(formula.EncodeFormula(*tree, kClassValue, 0, 0, out), kResultFail);
  formula.SetBiff5(true);
  EXPECT_EQ(formula.EncodeFormula(*tree, kClassValue, 0, 0, out), kResultFail);
  EXPECT_EQ(out.Length(), 0u);
}

TEST(ArrayConstants, BothLayoutsRoundTripAndMalformedDataFails) {
  TXLSFormulatArray array;
  array.rows = 2;
  array.columns = 3;
  const TVariant values[] = {1.0, std::u16string(u"ab"), true, TVariant::FromError(7), TVariant(), -2.5};
  const int32_t types[] = {kArrayItemNumber, kArrayItemString, kArrayItemBoolean,
                           kArrayItemError,  kArrayItemEmpty,  kArrayItemNumber};
  for (int i = 0; i < 6; ++i) array.items.push_back({types[i], values[i]});
  const TXLSFormulatArrays arrays = {array};
  struct Case {
    bool biff5;
    const char* head;  // column and row fields
    const char* text;  // the text element
  };
  for (const Case& c : {Case{false, "02 01 00", "02 02 00 01 61 00 62 00"}, Case{true, "03 02 00", "02 02 61 62"}}) {
    TXLSBlob out;
    ASSERT_EQ(EncodeArrayConstants(arrays, c.biff5, out), kResultOk);
    EXPECT_EQ(test::ToHex(out.Data(), out.Length()),
              Norm(std::string(c.head) + " 01 00 00 00 00 00 00 F0 3F " + c.text +
                   " 04 01 00 00 00 00 00 00 00  10 07 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00 00"
                   " 01 00 00 00 00 00 00 04 C0"));
    TXLSFormulatArrays back;
    ASSERT_EQ(DecodeArrayConstants(out.Data(), out.Length(), !c.biff5, back), kResultOk);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].rows, 2);
    EXPECT_EQ(back[0].columns, 3);
    ASSERT_EQ(back[0].items.size(), 6u);
    EXPECT_EQ(back[0].items[1].value.WideValue(), u"ab");
    EXPECT_EQ(back[0].items[3].value.ErrorValue(), 7);
    EXPECT_EQ(back[0].items[5].value.ToDouble(), -2.5);
    // Cut anywhere inside, the data fails as a whole.
    for (uint32_t cut = 1; cut < out.Length(); ++cut) {
      EXPECT_EQ(DecodeArrayConstants(out.Data(), cut, !c.biff5, back), kResultFail) << cut;
      EXPECT_TRUE(back.empty());
    }
  }
  // 256 × 65536 elements claimed by three bytes: refused before allocating.
  const auto huge = test::Hex("FF FF FF 01");
  TXLSFormulatArrays back;
  EXPECT_EQ(DecodeArrayConstants(huge.data(), static_cast<uint32_t>(huge.size()), true, back), kResultFail);
  // A size that does not match the element count is not written.
  TXLSFormulatArrays wrong = arrays;
  wrong[0].items.pop_back();
  TXLSBlob out;
  EXPECT_EQ(EncodeArrayConstants(wrong, false, out), kResultFail);
  EXPECT_EQ(out.Length(), 0u);
}

TEST_F(FormulaEncoder, EncodingReusesTheCallersBuffer) {
  TXLSFormula formula;
  auto tree = formula.ParseFormula("1+2", 1);
  ASSERT_NE(tree, nullptr);
  TXLSBlob out(64);
  const uint8_t* buffer = out.Data();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(formula.EncodeFormula(*tree, kClassValue, 0, 0, out), kResultOk);
    EXPECT_EQ(out.Data(), buffer);
    EXPECT_EQ(out.Length(), 21u);
  }
}

}  // namespace
}  // namespace lx

// Writes a BIFF8 workbook of formulas whose FORMULA records carry the
// results this engine calculates: one formula per line of a text file in
// column A of the first sheet, over a block of values in columns B to H and
// a second sheet named "Other".
//
//   B1:B10  1, 2.5, -3, 4, 0, 10, 7.25, -0.5, 100, 3
//   C1:C6   "apple", "Banana", "cherry pie", "12", "b2", "Apple"
//   D1:D3   TRUE, FALSE, TRUE
//   E1:E4   the numbers 45000, 44927, 36526, 45000.75 (day serials)
//   F1:G5   1 "one", 4 "four", 7 "seven", 10 "ten", 13 "thirteen"
//   H1:H5   5, "x", TRUE, (empty), 8
//   Other!A1:A5 = 10..50, Other!B1:B5 = 1..5
//
// Usage: calc_book OUT.xls FORMULAS.txt
#include <cstdio>
#include <string>

#include "FormulaList.h"
#include "lxCodePage.h"
#include "lxHandle.h"

using namespace lx;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: calc_book OUT.xls FORMULAS.txt\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  IXLSWorksheet* other = book->Worksheets()->Add();
  other->SetName(u"Other");
  auto set = [&](IXLSWorksheet* s, int32_t row, int32_t column, const TVariant& value) {
    s->Cells()->Item(row, column)->SetValue(value);
  };
  const double numbers[] = {1, 2.5, -3, 4, 0, 10, 7.25, -0.5, 100, 3};
  for (int32_t i = 0; i < 10; ++i) set(sheet, i + 1, 2, TVariant(numbers[i]));
  const char16_t* texts[] = {u"apple", u"Banana", u"cherry pie", u"12", u"b2", u"Apple"};
  for (int32_t i = 0; i < 6; ++i) set(sheet, i + 1, 3, TVariant(texts[i]));
  for (int32_t i = 0; i < 3; ++i) set(sheet, i + 1, 4, TVariant(i != 1));
  const double serials[] = {45000, 44927, 36526, 45000.75};
  for (int32_t i = 0; i < 4; ++i) set(sheet, i + 1, 5, TVariant(serials[i]));
  const char16_t* words[] = {u"one", u"four", u"seven", u"ten", u"thirteen"};
  for (int32_t i = 0; i < 5; ++i) {
    set(sheet, i + 1, 6, TVariant(1.0 + 3 * i));
    set(sheet, i + 1, 7, TVariant(words[i]));
  }
  set(sheet, 1, 8, TVariant(5.0));
  set(sheet, 2, 8, TVariant(u"x"));
  set(sheet, 3, 8, TVariant(true));
  set(sheet, 5, 8, TVariant(8.0));
  for (int32_t i = 1; i <= 5; ++i) {
    set(other, i, 1, TVariant(10.0 * i));
    set(other, i, 2, TVariant(double(i)));
  }

  if (test::EnterFormulaList(*sheet, argv[2]) != 0) return 1;
  const int32_t result = book->SaveAs(AnsiToWide(argv[1]), kSaveBiff8);
  if (result != 1) {
    std::fprintf(stderr, "saving failed: %d\n", static_cast<int>(result));
    return 1;
  }
  return 0;
}

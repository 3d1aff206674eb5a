// Writes formulas.xls (BIFF8) and formulas5.xls (BIFF5): one formula per line
// of a text file in column A of the first sheet, over a few values in
// columns B to D and on a second sheet named "Data", for the peers to open
// and calculate. "Data" also holds what typed text cannot make: an array
// formula over H4:H6, a constant array in J4, and in L5 a formula longer
// than one record.
//
// Usage: formula_book OUTDIR FORMULAS.txt
#include <cstdio>
#include <filesystem>
#include <string>

#include "FormulaList.h"
#include "lxCalculator.h"
#include "lxCellHeap.h"
#include "lxCodePage.h"
#include "lxHandle.h"

using namespace lx;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: formula_book OUTDIR FORMULAS.txt\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  IXLSWorksheet* data = book->Worksheets()->Add();
  data->SetName(u"Data");
  // B1:B5 = 1..5, C1:C3 texts, D1:D2 booleans, Data!A1:A3 = 10, 20, 30.
  for (int32_t row = 1; row <= 5; ++row) sheet->Cells()->Item(row, 2)->SetValue(TVariant(double(row)));
  const char16_t* texts[] = {u"apple", u"Banana", u"cherry pie"};
  for (int32_t row = 1; row <= 3; ++row) sheet->Cells()->Item(row, 3)->SetValue(TVariant(texts[row - 1]));
  sheet->Cells()->Item(1, 4)->SetValue(TVariant(true));
  sheet->Cells()->Item(2, 4)->SetValue(TVariant(false));
  for (int32_t row = 1; row <= 3; ++row) data->Cells()->Item(row, 1)->SetValue(TVariant(10.0 * row));
  // Data!C1:D4 a table with a header row, Data!F1:F2 a criterion on it.
  const char16_t* names[] = {u"Name", u"a", u"b", u"a"};
  for (int32_t row = 1; row <= 4; ++row) {
    data->Cells()->Item(row, 3)->SetValue(TVariant(names[row - 1]));
    data->Cells()->Item(row, 4)->SetValue(row == 1 ? TVariant(u"Qty") : TVariant(double(row - 1)));
  }
  data->Cells()->Item(1, 6)->SetValue(TVariant(u"Name"));
  data->Cells()->Item(2, 6)->SetValue(TVariant(u"a"));

  // {=A1:A3*2} over H4:H6.
  TXLSCalculator& calculator = WorkbookCalculator(*book);
  auto master = calculator.CompileFormula("A1:A3*2", data->Identifier());
  master->SetArrayMaster(3, 7, 5, 7);
  for (int32_t row = 3; row < 6; ++row) {
    TXLSCellRef* cell = data->CellHeap().GetCell(row, 7);
    cell->SetFormula(row == 3 ? master : TXLSCompiledFormula::ArrayMember(master, row, 7));
    cell->Kind = ckFormula;
  }
  // SUM({1,2;3,4}) as another program writes it: tArray, tFuncVar SUM, and
  // the constant after the tokens.
  TXLSBlob bytes;
  const uint8_t sumOfArray[] = {0x0C, 0x00, 0x60, 0, 0, 0, 0, 0, 0, 0, 0x42, 0x01, 0x04, 0x00, 0x01, 0x01, 0x00};
  bytes.AddBytes(sumOfArray, sizeof sumOfArray);
  for (double value : {1.0, 2.0, 3.0, 4.0}) {
    bytes.AddByte(1);
    bytes.AddDouble(value);
  }
  TXLSCellRef* constantCell = data->CellHeap().GetCell(3, 9);
  constantCell->SetFormula(calculator.DecodeFormulaBytes(bytes, 0, kBiff8Version));
  constantCell->Kind = ckFormula;
  // LEN of seventeen 255-character strings joined: more token bytes than one
  // record holds in either version, so the cell is written blank.
  const int kLongParts = 17;
  std::u16string longText = u"=LEN(\"";
  for (int i = 0; i < kLongParts; ++i) longText += (i ? u"\"&\"" : u"") + std::u16string(255, u'x');
  data->Cells()->Item(5, 12)->SetValue(TVariant(longText + u"\")"));

  if (test::EnterFormulaList(*sheet, argv[2]) != 0) return 1;
  const std::filesystem::path dir(argv[1]);
  for (const auto& [file, format] : {std::pair{"formulas.xls", kSaveBiff8}, std::pair{"formulas5.xls", kSaveBiff5}}) {
    const int32_t result = book->SaveAs((dir / file).u16string(), format);
    if (result != 1) {
      std::fprintf(stderr, "saving %s failed: %d\n", file, static_cast<int>(result));
      return 1;
    }
  }
  return 0;
}

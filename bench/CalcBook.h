// The calculation benchmark's workbook: 100,000 formula cells of a common
// mix over 25,000 rows of data, shared by bench_calc (which times our
// calculation) and lx_calc_book (which saves the same workbook for
// LibreOffice to recalculate in bench/compare_calc).
//
// Columns A:D hold numbers; J1:K100 a lookup table. Each row r has four
// formulas:
//   E  =A r*B r+C r                      arithmetic over neighbours
//   F  =SUM(A r-9:A r)+E r               a sum over a range, and a formula
//   G  =IF(E r>F r;E r-F r;D r/2)        a condition
//   H  =VLOOKUP(D r;$J$1:$K$100;2)       a lookup
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "lxHandle.h"

namespace lx::bench {

inline constexpr int32_t kCalcRows = 25000;
inline constexpr int32_t kCalcFormulaColumns = 4;  // E..H

inline XLSPtr<TXLSWorkbook> BuildCalcBook() {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  for (int32_t r = 1; r <= kCalcRows; ++r) {
    sheet->Cells()->Item(r, 1)->SetValue(TVariant(double(r % 97) + 0.5));
    sheet->Cells()->Item(r, 2)->SetValue(TVariant(double((r * 7) % 13) - 6));
    sheet->Cells()->Item(r, 3)->SetValue(TVariant(double(r) / 8));
    sheet->Cells()->Item(r, 4)->SetValue(TVariant(double((r * 31) % 1000)));
  }
  for (int32_t r = 1; r <= 100; ++r) {
    sheet->Cells()->Item(r, 10)->SetValue(TVariant(double((r - 1) * 10)));
    sheet->Cells()->Item(r, 11)->SetValue(TVariant(double(r) * 1.5));
  }
  for (int32_t r = 1; r <= kCalcRows; ++r) {
    const std::string n = std::to_string(r);
    const std::string top = std::to_string(std::max(1, r - 9));
    const std::string texts[kCalcFormulaColumns] = {
        "=A" + n + "*B" + n + "+C" + n,
        "=SUM(A" + top + ":A" + n + ")+E" + n,
        "=IF(E" + n + ">F" + n + ";E" + n + "-F" + n + ";D" + n + "/2)",
        "=VLOOKUP(D" + n + ";$J$1:$K$100;2)",
    };
    for (int32_t c = 0; c < kCalcFormulaColumns; ++c)
      sheet->Cells()->Item(r, 5 + c)->SetValue(TVariant(AnsiToWide(texts[c])));
  }
  return book;
}

// The formula cells of the first sheet, row by row.
inline std::vector<const TXLSCellRef*> CalcCells(TXLSWorkbook& book) {
  IXLSWorksheet* sheet = book.Worksheets()->Item(1);
  std::vector<const TXLSCellRef*> cells;
  for (int32_t r = 0; r < kCalcRows; ++r)
    for (int32_t c = 4; c < 4 + kCalcFormulaColumns; ++c) cells.push_back(sheet->CellHeap().FindCell(r, c));
  return cells;
}

}  // namespace lx::bench

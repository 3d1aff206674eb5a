// W1 of bench/workloads.cpp as the in-process benchmarks build it: a bold
// header and 65,535 rows of 10 columns of fractions, integers, texts (1,000
// distinct) and dates under "yyyy-mm-dd", one Cells.Item(...).Value per cell.
#pragma once

#include <string>

#include "lxHandle.h"
#include "lxStyle.h"

namespace lx::bench {

inline constexpr int32_t kW1Rows = 65535;
inline constexpr int32_t kW1Columns = 10;
// Every cell of the sheet, header included.
inline constexpr int64_t kW1Cells = int64_t{kW1Rows + 1} * kW1Columns;

inline XLSPtr<IXLSWorkBook> W1Book() {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSRange> cells = sheet->Cells();
  for (int32_t c = 0; c < kW1Columns; ++c)
    cells->Item(1, c + 1)->SetValue(TVariant(AsciiToWide("Column " + std::to_string(c + 1))));
  sheet->RangeOf(1, 1, kW1Columns, 1)->Font()->SetBold(true);
  for (int32_t r = 1; r <= kW1Rows; ++r) {
    for (int32_t c = 0; c < kW1Columns; ++c) {
      XLSPtr<IXLSRange> cell = cells->Item(r + 1, c + 1);
      switch (c % 4) {
        case 0:
          cell->SetValue(TVariant(r / 8.0 + c));
          break;
        case 1:
          cell->SetValue(TVariant(r * 10 + c));
          break;
        case 2:
          cell->SetValue(TVariant(AsciiToWide("Text " + std::to_string((r * 7 + c) % 1000))));
          break;
        default:
          cell->SetValue(TVariant(43831.0 + (r + c) % 3000));
      }
    }
  }
  for (int32_t c = 3; c < kW1Columns; c += 4)
    sheet->RangeOf(2, c + 1, c + 1, kW1Rows + 1)->SetNumberFormat(u"yyyy-mm-dd");
  return book;
}

}  // namespace lx::bench

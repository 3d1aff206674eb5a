// lx_calc_book OUT.xls: saves the calculation benchmark's workbook
// (bench/CalcBook.h) as BIFF8, for bench/compare_calc to time LibreOffice's
// recalculation of it. Prints the sum of the cached results it wrote, which
// LibreOffice's recalculated sum must match.
#include <cstdio>

#include "CalcBook.h"

int main(int argc, char** argv) {
  using namespace lx;
  if (argc != 2) {
    std::fprintf(stderr, "usage: lx_calc_book OUT.xls\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = bench::BuildCalcBook();
  IXLSWorksheet* sheet = book->Worksheets()->Item(1);
  double sum = 0;
  for (const TXLSCellRef* cell : bench::CalcCells(*book)) sum += sheet->ReadCellValue(cell).ToDouble();
  if (book->SaveAs(AnsiToWide(argv[1]), kSaveBiff8) != kResultOk) {
    std::fprintf(stderr, "saving failed\n");
    return 1;
  }
  std::printf("%.17g\n", sum);
  return 0;
}

// Calculation: the 100,000 formula cells of bench/CalcBook.h evaluated from
// a cold cache (one value assigned before each round moves the evaluation
// generation on), each read as a cell's value. bench/compare_calc runs it
// beside LibreOffice's recalculation of the same workbook.
#include <benchmark/benchmark.h>

#include "CalcBook.h"

namespace lx {
namespace {

void BM_CalculateFormulaCells(benchmark::State& state) {
  XLSPtr<TXLSWorkbook> book = bench::BuildCalcBook();
  IXLSWorksheet* sheet = book->Worksheets()->Item(1);
  const std::vector<const TXLSCellRef*> cells = bench::CalcCells(*book);
  double check = 0;
  int64_t round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // An assignment outside the formulas' reach: every cached result is old.
    sheet->Cells()->Item(1, 20)->SetValue(TVariant(double(++round)));
    state.ResumeTiming();
    for (const TXLSCellRef* cell : cells) {
      TVariant value;
      if (sheet->GetCellValue(cell, value) != kResultOk) {
        state.SkipWithError("a formula failed");
        return;
      }
      check += value.ToDouble();
    }
  }
  benchmark::DoNotOptimize(check);
  state.counters["formulas"] = static_cast<double>(cells.size());
  state.counters["formulas_per_s"] =
      benchmark::Counter(static_cast<double>(cells.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CalculateFormulaCells)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace lx

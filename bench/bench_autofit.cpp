// Column auto-fit over W1 of bench/workloads.cpp: a bold header and 65,535
// rows of 10 columns of fractions, integers, texts (1,000 distinct) and
// dates under "yyyy-mm-dd", measured with the installed fonts. Reports the
// time per cell fitted.
#include <benchmark/benchmark.h>

#include <string>

#include "W1Book.h"
#include "lxAutoFit.h"
#include "lxHandle.h"
#include "lxStyle.h"

namespace lx {
namespace {

using bench::W1Book;

void BM_AutoFitW1Columns(benchmark::State& state) {
  if (ScreenUnits().CharWidth == 0) {
    state.SkipWithError("no font to measure with");
    return;
  }
  XLSPtr<IXLSWorkBook> book = W1Book();
  XLSPtr<IXLSColsRange> columns = book->ActiveSheet()->UsedRange()->Columns();
  for (auto _ : state) columns->ColumnsAutoFit(true);
  const int64_t cells = bench::kW1Cells;
  state.SetItemsProcessed(state.iterations() * cells);
  // Seconds per cell: printed with an SI prefix, "250n" being 250 ns.
  state.counters["per_cell"] = benchmark::Counter(
      static_cast<double>(cells), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AutoFitW1Columns)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

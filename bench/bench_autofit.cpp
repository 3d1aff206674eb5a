// Column auto-fit over W1 of bench/workloads.cpp: a bold header and 65,535
// rows of 10 columns of fractions, integers, texts (1,000 distinct) and
// dates under "yyyy-mm-dd", measured with the installed fonts. Reports the
// time per cell fitted.
#include <benchmark/benchmark.h>

#include <string>

#include "lxAutoFit.h"
#include "lxHandle.h"
#include "lxStyle.h"

namespace lx {
namespace {

constexpr int32_t kW1Rows = 65535;
constexpr int32_t kW1Columns = 10;

XLSPtr<IXLSWorkBook> W1Book() {
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

void BM_AutoFitW1Columns(benchmark::State& state) {
  if (ScreenUnits().CharWidth == 0) {
    state.SkipWithError("no font to measure with");
    return;
  }
  XLSPtr<IXLSWorkBook> book = W1Book();
  XLSPtr<IXLSColsRange> columns = book->ActiveSheet()->UsedRange()->Columns();
  for (auto _ : state) columns->ColumnsAutoFit(true);
  const int64_t cells = int64_t{kW1Rows + 1} * kW1Columns;
  state.SetItemsProcessed(state.iterations() * cells);
  // Seconds per cell: printed with an SI prefix, "250n" being 250 ns.
  state.counters["per_cell"] = benchmark::Counter(
      static_cast<double>(cells), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AutoFitW1Columns)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

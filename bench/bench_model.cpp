// Filling a worksheet through single-cell ranges, the way the export
// components write every cell: 65,536 rows x 10 columns of numbers, repeated
// texts and dates, each through Cells()->Item(row, column)->SetValue.
//
// Reports the time per cell and the memory the filled workbook holds per
// cell: the C library's count of heap bytes in use (chunk overhead included)
// plus the engine's large blocks taken straight from the system, after the
// fill, less the same before the workbook was made.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "lxHandle.h"
#include "lxLargePages.h"

namespace {

using namespace lx;

int64_t HeapInUse() { return static_cast<int64_t>(mallinfo2().uordblks + LargeBlockBytesMapped()); }

constexpr int32_t kRows = 65536;
constexpr int32_t kColumns = 10;

void Fill(IXLSWorksheet* sheet) {
  static const char16_t* kTexts[] = {u"North", u"South", u"East", u"West", u"Centre"};
  XLSPtr<IXLSRange> cells = sheet->Cells();
  const double firstDay = EncodeDate(2020, 1, 1);
  for (int32_t r = 1; r <= kRows; ++r) {
    for (int32_t c = 1; c <= kColumns; ++c) {
      TVariant value;
      switch (c % 3) {
        case 0:
          value = TVariant(r * 1.5 + c);
          break;
        case 1:
          value = TVariant(kTexts[(r + c) % 5]);
          break;
        default:
          value = TVariant::FromDate(firstDay + r % 1000);
          break;
      }
      cells->Item(r, c)->SetValue(value);
    }
  }
}

void BM_FillThroughItem(benchmark::State& state) {
  int64_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int64_t before = HeapInUse();
    XLSPtr<IXLSWorkBook> book = CreateWorkbook();
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    state.ResumeTiming();
    Fill(sheet);
    state.PauseTiming();
    bytes = HeapInUse() - before;
    book.Reset();
    state.ResumeTiming();
  }
  const double cellsPerIteration = static_cast<double>(kRows) * kColumns;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * cellsPerIteration));
  state.counters["ns_per_cell"] =
      benchmark::Counter(cellsPerIteration * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
  state.counters["bytes_per_cell"] = static_cast<double>(bytes) / cellsPerIteration;
}
BENCHMARK(BM_FillThroughItem)->Unit(benchmark::kMillisecond);

}  // namespace

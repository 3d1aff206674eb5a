// RTF export: W1's sheet (bench/workloads.cpp: a bold header and 65,535 rows
// of 10 columns of fractions, integers, texts and dates) saved as RTF into a
// memory stream, reported per cell.
#include <benchmark/benchmark.h>

#include <string>

#include "lxHandle.h"
#include "lxStreams.h"
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

void BM_SaveW1AsRTF(benchmark::State& state) {
  XLSPtr<IXLSWorkBook> book = W1Book();
  // One stream whose memory is kept between runs, so the runs measure the
  // writer and not the growth of the sink.
  TMemoryStream stream;
  stream.Bytes().reserve(size_t{96} << 20);
  for (auto _ : state) {
    stream.Clear();
    if (book->SaveAsRTF(stream) != kResultOk) state.SkipWithError("save failed");
    benchmark::DoNotOptimize(stream.Bytes().data());
  }
  const double cells = static_cast<double>(kW1Rows + 1) * kW1Columns;
  state.counters["ns_per_cell"] =
      benchmark::Counter(cells * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["bytes"] = static_cast<double>(stream.Bytes().size());
  state.SetItemsProcessed(state.iterations() * (kW1Rows + 1) * kW1Columns);
}
BENCHMARK(BM_SaveW1AsRTF)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

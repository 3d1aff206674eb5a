// RTF export: W1's sheet (bench/workloads.cpp: a bold header and 65,535 rows
// of 10 columns of fractions, integers, texts and dates) saved as RTF into a
// memory stream, reported per cell.
#include <benchmark/benchmark.h>

#include <string>

#include "W1Book.h"
#include "lxHandle.h"
#include "lxStreams.h"
#include "lxStyle.h"

namespace lx {
namespace {

using bench::W1Book;

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
  const double cells = static_cast<double>(bench::kW1Cells);
  state.counters["ns_per_cell"] =
      benchmark::Counter(cells * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["bytes"] = static_cast<double>(stream.Bytes().size());
  state.SetItemsProcessed(state.iterations() * bench::kW1Cells);
}
BENCHMARK(BM_SaveW1AsRTF)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

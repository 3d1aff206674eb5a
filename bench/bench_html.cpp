// HTML export: W1 of bench/workloads.cpp (a header and 65,535 rows of 10
// columns of fractions, integers, texts and dates) as one HTML page, built
// written to a memory stream; the counter ns_per_cell is the time per
// exported cell.
#include <benchmark/benchmark.h>

#include <string>

#include "W1Book.h"
#include "lxStreams.h"

#include "lxHTML.h"
#include "lxHandle.h"
#include "lxRange.h"
#include "lxStyle.h"

namespace lx {
namespace {

using bench::W1Book;

void BM_SaveW1AsHTML(benchmark::State& state) {
  XLSPtr<IXLSWorkBook> book = W1Book();
  const XLSPtr<IXLSRange> used = book->ActiveSheet()->UsedRange();
  TXLSHTMLExport exporter;
  // One sink whose memory is kept between runs, so the runs measure the
  // exporter and not the growth of the sink.
  TMemoryStream stream;
  stream.Bytes().reserve(size_t{64} << 20);
  for (auto _ : state) {
    stream.Clear();
    if (exporter.WriteRange(*used, stream) != kResultOk) state.SkipWithError("export failed");
    benchmark::DoNotOptimize(stream.Bytes().data());
  }
  const double cells = static_cast<double>(bench::kW1Cells);
  state.counters["ns_per_cell"] =
      benchmark::Counter(cells * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["page_MB"] = static_cast<double>(stream.Bytes().size()) / 1e6;
}
BENCHMARK(BM_SaveW1AsHTML)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

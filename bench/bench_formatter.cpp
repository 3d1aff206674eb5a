// The value formatter: one FormatValue call per cell, as the HTML and RTF
// writers and CSV/TSV saves make it, under the formats exports use most; and
// a whole sheet saved as UTF-16 CSV from the model.
#include <benchmark/benchmark.h>

#include <string>

#include "W1Book.h"
#include "lxHandle.h"
#include "lxMasks.h"
#include "lxStreams.h"

namespace lx {
namespace {

using bench::W1Book;

void FormatEach(benchmark::State& state, const TVariant& value, std::u16string_view format) {
  TXLSFormater formater;
  for (auto _ : state) benchmark::DoNotOptimize(formater.FormatValue(value, format));
  state.SetItemsProcessed(state.iterations());
}

void BM_FormatNumberGrouped(benchmark::State& state) { FormatEach(state, TVariant(1234567.891), u"#,##0.00"); }
BENCHMARK(BM_FormatNumberGrouped);

void BM_FormatDateTime(benchmark::State& state) {
  FormatEach(state, TVariant::FromDate(EncodeDateTime(2023, 4, 2, 14, 7, 30, 0)), u"dd/mm/yyyy hh:mm");
}
BENCHMARK(BM_FormatDateTime);

void BM_FormatText(benchmark::State& state) { FormatEach(state, TVariant(u"Net 30 days"), u"@"); }
BENCHMARK(BM_FormatText);

void BM_SaveW1AsUtf16CSV(benchmark::State& state) {
  XLSPtr<IXLSWorkBook> book = W1Book();
  // One stream whose memory is kept between runs, so the runs measure the
  // writer and not the growth of the sink.
  TMemoryStream stream;
  stream.Bytes().reserve(size_t{64} << 20);
  for (auto _ : state) {
    stream.Clear();
    if (book->SaveAs(stream, kSaveCSVUnicode) != kResultOk) state.SkipWithError("save failed");
    benchmark::DoNotOptimize(stream.Bytes().data());
  }
  state.SetItemsProcessed(state.iterations() * bench::kW1Cells);
}
BENCHMARK(BM_SaveW1AsUtf16CSV)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

// The value formatter: one FormatValue call per cell, as the HTML and RTF
// writers and CSV/TSV saves make it, under the formats exports use most.
#include <benchmark/benchmark.h>

#include "lxMasks.h"

namespace lx {
namespace {

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

}  // namespace
}  // namespace lx

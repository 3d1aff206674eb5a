// Attribute changes through the cell-format list.
//
// Every formatting write of the model ends in one SetXF... call: a key copy,
// one field spliced in, one hash lookup and at most one append. These
// benchmarks count such writes per second in the two shapes an export
// produces: many cells that each have a format of their own, and many cells
// that share one format.
#include <benchmark/benchmark.h>

#include <vector>

#include "lxFormat.h"

namespace lx {
namespace {

constexpr int kCells = 100000;

// kCells formats that all differ (font size x rotation), one reference each.
std::vector<int32_t> DistinctFormats(TlxFormatList& list) {
  std::vector<int32_t> formats;
  formats.reserve(kCells);
  for (int i = 0; i < kCells; ++i) {
    const int32_t sized = list.SetXFFontSize(0, 6 + (i / 100) * 0.05, false);
    formats.push_back(list.SetXFRotation(sized, i % 100, true));
  }
  return formats;
}

// Bold on 100,000 cells whose formats all differ: every write creates a new
// format (and, per font size, a new font).
void BM_BoldOnDistinctFormats(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TlxFormatList list;
    std::vector<int32_t> formats = DistinctFormats(list);
    state.ResumeTiming();
    for (int32_t& format : formats) format = list.SetXFFontBold(format, true, true);
    benchmark::DoNotOptimize(formats.data());
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_BoldOnDistinctFormats)->Unit(benchmark::kMillisecond);

// Bold on 100,000 cells sharing one format: the first write creates the bold
// format, every other one finds it.
void BM_BoldOnSharedFormat(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TlxFormatList list;
    const int32_t shared = list.SetXFFontSize(0, 11, false);
    for (int i = 1; i < kCells; ++i) list.AddReference(shared);
    std::vector<int32_t> formats(kCells, shared);
    state.ResumeTiming();
    for (int32_t& format : formats) format = list.SetXFFontBold(format, true, true);
    benchmark::DoNotOptimize(formats.data());
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_BoldOnSharedFormat)->Unit(benchmark::kMillisecond);

// Unformatted cells taking a fill colour: the path of a coloured export row.
void BM_FillOnFreshCells(benchmark::State& state) {
  TlxFormatList list;
  for (auto _ : state) {
    for (int i = 0; i < kCells; ++i) benchmark::DoNotOptimize(list.SetXFFillColorIndex(0, 8 + i % 56, false));
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_FillOnFreshCells)->Unit(benchmark::kMillisecond);

// Save preparation and XF records for 100,000 formats in use.
void BM_PrepareAndBuildXFRecords(benchmark::State& state) {
  TlxFormatList list;
  DistinctFormats(list);
  for (auto _ : state) {
    list.PrepareForSave();
    for (int32_t i = 0; i < list.OutputCount(); ++i) {
      benchmark::DoNotOptimize(list.BuildXFRecord(i, kSaveBiff8));
    }
  }
  state.SetItemsProcessed(state.iterations() * (kCells + TlxFormatList::kDefaultFormats));
}
BENCHMARK(BM_PrepareAndBuildXFRecords)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

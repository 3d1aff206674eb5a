// The value formatter: one FormatValue call per cell, as the HTML and RTF
// writers and CSV/TSV saves make it, under the formats exports use most; and
// a whole sheet saved as UTF-16 CSV from the model.
#include <benchmark/benchmark.h>

#include <string>

#include "lxHandle.h"
#include "lxMasks.h"
#include "lxStreams.h"

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

// W1 of bench/workloads.cpp: a header and 65,535 rows of 10 columns of
// fractions, integers, texts (1,000 distinct) and dates.
constexpr int32_t kW1Rows = 65535;
constexpr int32_t kW1Columns = 10;

XLSPtr<IXLSWorkBook> W1Book() {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSRange> cells = sheet->Cells();
  for (int32_t c = 0; c < kW1Columns; ++c)
    cells->Item(1, c + 1)->SetValue(TVariant(AsciiToWide("Column " + std::to_string(c + 1))));
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
          cell->SetValue(TVariant::FromDate(43831 + (r + c) % 3000));
          cell->SetNumberFormat(u"yyyy-mm-dd");
      }
    }
  }
  return book;
}

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
  state.SetItemsProcessed(state.iterations() * (kW1Rows + 1) * kW1Columns);
}
BENCHMARK(BM_SaveW1AsUtf16CSV)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lx

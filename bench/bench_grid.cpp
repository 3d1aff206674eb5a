// The grid export end to end: 100,000 records x 5 columns (text, integer,
// float with a display format, date, currency) exported through TGridToXLS
// with its default settings (header, fonts, thin detail borders, number
// formats; two sheets, since a sheet takes 65,535 rows) and saved as BIFF8.
// BM_GridExportGrouped exports 100,000 orders shaped like the demo's (terms,
// payment method, order number, sale date, amount; sorted by the first two)
// grouped by terms and payment method, with the sky-blue hair-lined titles
// of the Quillon window.
//
// Reports the time per exported cell (detail cells, the group columns of a
// grouped export excluded) for the export alone and for the export plus the
// save.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxGridToXLS.h"
#include "lxText.h"

namespace {

using namespace lx;

constexpr int kRecords = 100000;
constexpr int kColumns = 5;

// A grid over an in-memory dataset that fill gives its fields and records.
class TOrders {
 public:
  explicit TOrders(void (*fill)(TMemDataSet& data)) {
    fill(data_);
    data_.Open();
    source_.SetDataSet(&data_);
    grid_.SetDataSource(&source_);
  }
  TDBGrid& Grid() { return grid_; }

 private:
  TMemDataSet data_;
  TDataSource source_;
  TDBGrid grid_;
};

TOrders& Orders() {
  static TOrders orders([](TMemDataSet& data) {
    data.AddField("Customer", ftString, 20);
    data.AddField("OrderNo", ftInteger);
    data.AddField("Weight", ftFloat)->SetDisplayFormat("0.00");
    data.AddField("SaleDate", ftDate);
    data.AddField("Amount", ftCurrency);
    static const char* kNames[] = {"Manta Scuba", "Cape Shoal", "Lagoon Club", "Moray Sports", "Blue Heron"};
    const double firstDay = EncodeDate(2020, 1, 1);
    for (int i = 0; i < kRecords; ++i)
      data.AppendRecord({kNames[i % 5], 1000 + i, i * 0.25, TVariant::FromDate(firstDay + i % 1500), i * 1.37});
  });
  return orders;
}

// Orders in group order: 7 terms x 7 payment methods, as in the demo.
TOrders& GroupedOrders() {
  static TOrders orders([](TMemDataSet& data) {
    data.AddField("Terms", ftString, 11);
    data.AddField("PaymentMethod", ftString, 7);
    data.AddField("OrderNo", ftInteger);
    data.AddField("SaleDate", ftDateTime);
    data.AddField("AmountPaid", ftCurrency);
    static const char* kTerms[] = {"2/10 Net 30", "COD", "FOB", "Net 15", "Net 30", "Net 60", "Prepaid"};
    static const char* kMethods[] = {"AmEx", "Cash", "Check", "Credit", "MC", "Visa", "Wire"};
    const double firstDay = EncodeDate(1988, 1, 4);
    for (int i = 0; i < kRecords; ++i) {
      const int group = i * 49 / kRecords;
      data.AppendRecord({kTerms[group / 7], kMethods[group % 7], 1003 + i, TVariant::FromDate(firstDay + i % 2900),
                         (i % 997) * 7.31});
    }
  });
  return orders;
}

// Time per iteration divided by the cells exported, in microseconds.
void Report(benchmark::State& state, int columns = kColumns) {
  state.counters["us_per_cell"] =
      benchmark::Counter(static_cast<double>(kRecords) * columns * 1e-6,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_GridExport(benchmark::State& state) {
  TGridToXLS exporter;
  exporter.SetDBGrid(&Orders().Grid());
  for (auto _ : state) {
    exporter.Export();
    benchmark::DoNotOptimize(exporter.Workbook());
    state.PauseTiming();
    exporter.ReleaseWorkbook();
    state.ResumeTiming();
  }
  Report(state);
}
BENCHMARK(BM_GridExport)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridExportAndSaveBiff8(benchmark::State& state) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "lx_bench_grid.xls";
  TGridToXLS exporter;
  exporter.SetDBGrid(&Orders().Grid());
  for (auto _ : state) {
    if (exporter.ExportToFile(Utf8ToUtf16(file.string())) != 1) state.SkipWithError("save failed");
  }
  std::filesystem::remove(file);
  Report(state);
}
BENCHMARK(BM_GridExportAndSaveBiff8)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridExportGrouped(benchmark::State& state) {
  TGridToXLS exporter;
  exporter.SetDBGrid(&GroupedOrders().Grid());
  exporter.GroupFields().Add("Terms");
  exporter.GroupFields().Add("PaymentMethod");
  exporter.SetGroupFont(TFont("Arial", 10, {fsBold, fsItalic}, clMaroon));
  exporter.SetGroupColor(clSkyBlue);
  exporter.SetGroupBorderStyle(BorderStyleSingleHair);
  for (auto _ : state) {
    exporter.Export();
    benchmark::DoNotOptimize(exporter.Workbook());
    state.PauseTiming();
    exporter.ReleaseWorkbook();
    state.ResumeTiming();
  }
  Report(state, kColumns - 2);
}
BENCHMARK(BM_GridExportGrouped)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

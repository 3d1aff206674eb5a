// The Quillon orders export timed from inside, for bench/compare.
//
//   lx_orders --db DATABASE --out FILE [--ungrouped]
//
// Opens the orders of a SQLite database and exports them through the grid
// export component with the settings of the Quillon window (QuillonData.h):
// grouped by Terms and PaymentMethod as `quillon --export` does, or with
// --ungrouped without group fields (no title rows, all five columns in every
// detail row). Prints one JSON line: the writer, the workload ("orders" or
// "orders-ungrouped"), the orders, the cells written, open_s (reading the
// database), build_s (opening plus the export into the workbook), save_s
// (writing the file) and the peak resident set in bytes.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "QuillonData.h"
#include "lxText.h"

namespace {

using namespace lx;
using TClock = std::chrono::steady_clock;

double Seconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

int Usage() {
  std::fprintf(stderr, "usage: lx_orders --db DATABASE --out FILE [--ungrouped]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string database, out;
  bool grouped = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      database = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--ungrouped") == 0) {
      grouped = false;
    } else {
      return Usage();
    }
  }
  if (database.empty() || out.empty()) return Usage();

  try {
    const TClock::time_point started = TClock::now();
    TQuillonData data;
    data.Open(database);
    const TClock::time_point opened = TClock::now();
    TGridToXLS& exporter = data.GridToXLS1();
    if (grouped) {
      // The settings of the window's export button.
      exporter.SetGroupColor(clSkyBlue);
      exporter.SetGroupBorderStyle(BorderStyleSingleHair);
      TFont font = exporter.GroupFont();
      font.SetStyle({fsBold, fsItalic});
      exporter.SetGroupFont(font);
    } else {
      exporter.GroupFields().Clear();
    }
    exporter.Export();
    const TClock::time_point built = TClock::now();
    const int32_t result = exporter.SaveToFile(Utf8ToUtf16(out));
    exporter.ReleaseWorkbook();
    const TClock::time_point saved = TClock::now();
    if (result != kResultOk) {
      std::fprintf(stderr, "lx_orders: saving %s gave %d\n", out.c_str(), result);
      return 1;
    }
    const int orders = data.ADOTable1().RecordCount();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "{\"writer\": \"lx\", \"workload\": \"%s\", \"rows\": %d, \"cells\": %d, \"open_s\": %.4f, \"build_s\": %.4f, "
        "\"save_s\": %.4f, \"peak_rss\": %ld}\n",
        grouped ? "orders" : "orders-ungrouped", orders, orders * (grouped ? 3 : 5), Seconds(started, opened),
        Seconds(started, built), Seconds(built, saved), static_cast<long>(usage.ru_maxrss) * 1024);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lx_orders: %s\n", error.what());
    return 1;
  }
  return 0;
}

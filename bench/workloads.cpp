// The side-by-side workloads of bench/compare, run through our engine.
//
//   lx_workloads W1|W2|W3|W4 --out FILE [--rows N] [--format biff8|biff5|html]
//
// Builds the workload's workbook in memory (Workloads.h describes the
// data), saves it, and prints one JSON line: the workload, rows, cells
// written, build and save seconds (wall clock) and the process's peak
// resident set in bytes.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "CpuTime.h"
#include "Workloads.h"
#include "lxHandle.h"

namespace {

using namespace lx;

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

int Usage() {
  std::fprintf(stderr, "usage: lx_workloads W1|W2|W3|W4 --out FILE [--rows N] [--format biff8|biff5|html]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string workload = argv[1];
  std::string out;
  int32_t rows = -1;
  int32_t format = kSaveBiff8;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--out"))
      out = argv[i + 1];
    else if (!std::strcmp(argv[i], "--rows"))
      rows = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--format"))
      format = !std::strcmp(argv[i + 1], "html")   ? kSaveHTML
               : std::strcmp(argv[i + 1], "biff5") ? kSaveBiff8
                                                   : kSaveBiff5;
    else
      return Usage();
  }
  if (out.empty() || (workload != "W1" && workload != "W2" && workload != "W3" && workload != "W4")) return Usage();
  const bool many = workload == "W3";
  if (rows < 0) rows = many ? 20000 : 65535;
  if (rows > 65535) return Usage();
  const int32_t sheets = many ? 10 : 1;
  const int32_t columns = many ? 8 : 10;

  const auto started = std::chrono::steady_clock::now();
  XLSPtr<IXLSWorkBook> book = bench::WorkloadBook(workload, rows);
  const double build = Seconds(started);

  const auto saving = std::chrono::steady_clock::now();
  const double cpuBefore = lx::bench::CpuSeconds();
  const int32_t result = book->SaveAs(Utf8ToUtf16(out), format);
  const double save = Seconds(saving);
  const double saveCpu = lx::bench::CpuSeconds() - cpuBefore;
  if (result != 1) {
    std::fprintf(stderr, "lx_workloads: save of %s failed with %d\n", out.c_str(), static_cast<int>(result));
    return 1;
  }
  book.Reset();

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const int64_t cells = static_cast<int64_t>(sheets) * (rows + 1) * columns;
  std::printf(
      "{\"writer\": \"lx\", \"workload\": \"%s\", \"rows\": %d, \"cells\": %lld, \"build_s\": %.4f, "
      "\"save_s\": %.4f, \"save_cpu_s\": %.4f, \"peak_rss\": %lld}\n",
      workload.c_str(), static_cast<int>(rows), static_cast<long long>(cells), build, save, saveCpu,
      static_cast<long long>(usage.ru_maxrss) * 1024);
  return 0;
}

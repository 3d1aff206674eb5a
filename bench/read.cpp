// The read workload of bench/compare (R1), run through our engine.
//
//   lx_read --in FILE
//
// Opens FILE (a W1 file of lx_workloads or of a peer writer) into a new
// workbook model and prints one JSON line: the read seconds (wall clock and
// processor time of Open alone), what the model holds (cells of the first
// sheet, how many are numbers and texts, the sum of the numbers, so that the
// harness can check every reader saw the same cells) and the process's peak
// resident set in bytes (VmHWM: the peak of this program alone, where the
// resource usage would also count the parent's memory before the program
// started). The cells are counted after the timed read.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "CpuTime.h"
#include "lxCellHeap.h"
#include "lxHandle.h"

namespace {

using namespace lx;

// The peak resident set of this program's own memory, in bytes.
long long PeakResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: lx_read --in FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "--in") != 0) return Usage();
  const std::string in = argv[2];

  const auto started = std::chrono::steady_clock::now();
  const double cpuBefore = lx::bench::CpuSeconds();
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  const int32_t result = book->Open(Utf8ToUtf16(in));
  const double read = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const double readCpu = lx::bench::CpuSeconds() - cpuBefore;
  if (result != 1) {
    std::fprintf(stderr, "lx_read: open of %s failed with %d\n", in.c_str(), static_cast<int>(result));
    return 1;
  }

  int64_t cells = 0, numbers = 0, texts = 0;
  double sum = 0;
  IXLSWorksheet* sheet = book->Worksheets()->Item(1);
  if (sheet) {
    // Row by row, left to right: the order the peers add their numbers in.
    const TXLSCellHeap& heap = sheet->CellHeap();
    for (int32_t row = heap.FirstRow(); !heap.Empty() && row <= heap.LastRow(); ++row)
      heap.ForEachCellInRow(row, [&](const TXLSCellRef& cell) {
        if (cell.Kind == ckBlank) return true;
        ++cells;
        if (cell.Kind == ckNumber || cell.Kind == ckDate) {
          ++numbers;
          sum += cell.Number;
        } else if (cell.Kind == ckString) {
          ++texts;
        }
        return true;
      });
  }
  book.Reset();

  std::printf(
      "{\"reader\": \"lx\", \"cells\": %lld, \"numbers\": %lld, \"texts\": %lld, \"sum\": %.17g, "
      "\"read_s\": %.4f, \"read_cpu_s\": %.4f, \"peak_rss\": %lld}\n",
      static_cast<long long>(cells), static_cast<long long>(numbers), static_cast<long long>(texts), sum, read, readCpu,
      PeakResident());
  return 0;
}

// lx_formulas: compiles the texts of the formula corpus (bench/formulas.txt)
// round after round and prints one JSON line; bench/compare --formulas runs
// it beside bench/peers/xlwt_formulas.py, which times xlwt's compiler the
// same way: one untimed round, then whole rounds until at least --seconds
// have passed.
//
//   lx_formulas [--corpus FILE] [--seconds S]
//
// {"writer": "lx", "formulas": texts, "rounds": R, "compiled": texts * R,
//  "compile_s": wall time of the timed rounds, "cpu_s": their processor time,
//  "per_second": compiled / compile_s, "token_bytes": bytes of one round,
//  "peak_rss": bytes}
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CpuTime.h"
#include "FormulaCorpus.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: lx_formulas [--corpus FILE] [--seconds S]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string corpus = LX_FORMULA_CORPUS;
  double seconds = 2.0;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 < argc && !std::strcmp(argv[i], "--corpus"))
      corpus = argv[++i];
    else if (i + 1 < argc && !std::strcmp(argv[i], "--seconds"))
      seconds = std::atof(argv[++i]);
    else
      return Usage();
  }
  const std::vector<std::string> texts = lx::bench::ReadFormulaCorpus(corpus);
  if (texts.empty()) {
    std::fprintf(stderr, "lx_formulas: no formula texts in %s\n", corpus.c_str());
    return 1;
  }
  lx::bench::TFormulaCompiler compiler;
  // The untimed round: table entries made and numbered, every text checked.
  if (const int32_t failed = compiler.Prepare(texts); failed != 0) {
    std::fprintf(stderr, "lx_formulas: %d of %zu texts do not compile\n", static_cast<int>(failed), texts.size());
    return 1;
  }

  int64_t rounds = 0;
  uint64_t tokenBytes = 0;
  lx::TXLSBlob out;
  const double cpuStart = lx::bench::CpuSeconds();
  const auto started = std::chrono::steady_clock::now();
  double elapsed = 0;
  do {
    tokenBytes = 0;
    for (const auto& text : texts) {
      if (compiler.Compile(text, out) != lx::kResultOk) {
        std::fprintf(stderr, "lx_formulas: %s stopped compiling\n", text.c_str());
        return 1;
      }
      tokenBytes += out.Length();
    }
    ++rounds;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  } while (elapsed < seconds);
  const double cpu = lx::bench::CpuSeconds() - cpuStart;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const int64_t compiled = rounds * static_cast<int64_t>(texts.size());
  std::printf(
      "{\"writer\": \"lx\", \"formulas\": %zu, \"rounds\": %lld, \"compiled\": %lld, \"compile_s\": %.6f, "
      "\"cpu_s\": %.6f, \"per_second\": %.1f, \"token_bytes\": %llu, \"peak_rss\": %lld}\n",
      texts.size(), static_cast<long long>(rounds), static_cast<long long>(compiled), elapsed, cpu,
      static_cast<double>(compiled) / elapsed, static_cast<unsigned long long>(tokenBytes),
      static_cast<long long>(usage.ru_maxrss) * 1024);
  return 0;
}

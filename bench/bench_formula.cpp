// Formula compiling: every text of bench/formulas.txt parsed and encoded to
// BIFF8 token bytes per iteration, reported as formulas per second; the
// simple and the nested-IF groups of the corpus also alone.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "FormulaCorpus.h"

namespace lx {
namespace {

using bench::TFormulaCompiler;

// Groups of the corpus by argument: all texts, the flat references and
// arithmetic, the nested IFs.
std::vector<std::string> Texts(int64_t which) {
  const char* group = which == 1 ? "simple references and arithmetic" : which == 2 ? "nested IFs" : "";
  return bench::ReadFormulaCorpus(LX_FORMULA_CORPUS, group);
}

void BM_CompileFormulas(benchmark::State& state) {
  const std::vector<std::string> texts = Texts(state.range(0));
  TFormulaCompiler compiler;
  if (texts.empty() || compiler.Prepare(texts) != 0) {
    state.SkipWithError("corpus missing or not compiling");
    return;
  }
  TXLSBlob out;
  for (auto _ : state) {
    for (const auto& text : texts) {
      if (compiler.Compile(text, out) != kResultOk) state.SkipWithError("compile failed");
      benchmark::DoNotOptimize(out.Data());
    }
  }
  state.counters["formulas"] = static_cast<double>(texts.size());
  state.counters["formulas_per_s"] =
      benchmark::Counter(static_cast<double>(texts.size()), benchmark::Counter::kIsIterationInvariantRate);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_CompileFormulas)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lx

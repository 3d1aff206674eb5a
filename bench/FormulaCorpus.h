// The formula benchmark's shared pieces: the texts of bench/formulas.txt and
// a compiler set up as a workbook's would be, for bench_formula (Google
// Benchmark) and lx_formulas (the command bench/compare races against xlwt).
//
// Compiling a text is what a cell formula costs: ParseFormula to a tree,
// then EncodeFormula to BIFF8 token bytes. Sheet-qualified references go
// through an external-sheet table over five sheets named as in the corpus;
// the first pass over the texts adds their entries and numbers them, as a
// workbook does before it saves, so later passes find them.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lxBLOB.h"
#include "lxConstants.h"
#include "lxExternSheet.h"
#include "lxFormula.h"

namespace lx::bench {

// Non-empty lines of the corpus that are not comments; empty when the file
// cannot be read. With group given, only the texts under the comment line
// "# group" (up to the next comment line).
inline std::vector<std::string> ReadFormulaCorpus(const std::string& path, std::string_view group = {}) {
  std::vector<std::string> texts;
  std::ifstream in(path);
  std::string line;
  bool inGroup = group.empty();
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '#') {
      if (!group.empty()) inGroup = std::string_view(line).substr(1).find(group) == 1;
      continue;
    }
    if (!line.empty() && inGroup) texts.push_back(line);
  }
  return texts;
}

class TFormulaCompiler {
 public:
  TFormulaCompiler() : formula_(&table_) {
    TlxExternSheetWorkbookLinks links;
    links.sheetCountPlusOne = [this] { return static_cast<int32_t>(sheets_.size()) + 1; };
    links.sheetNameAt = [this](int32_t position) {
      return position >= 1 && position <= static_cast<int32_t>(sheets_.size()) ? sheets_[position - 1].second
                                                                               : std::u16string();
    };
    links.identifierOfSheetName = [this](std::u16string_view name) {
      for (const auto& sheet : sheets_) {
        if (sheet.second == name) return sheet.first;
      }
      return -1;
    };
    links.positionOfSheetIdentifier = [this](int32_t id) {
      for (size_t i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].first == id) return static_cast<int32_t>(i) + 1;
      }
      return -1;
    };
    table_.SetWorkbookLinks(std::move(links));
  }
  TFormulaCompiler(const TFormulaCompiler&) = delete;
  TFormulaCompiler& operator=(const TFormulaCompiler&) = delete;

  // Token bytes of text for cell A1 of Sheet1 into out: 1, or -1 when the
  // text does not parse or encode.
  int32_t Compile(std::string_view text, TXLSBlob& out) const {
    auto tree = formula_.ParseFormula(text, kOwnSheet);
    if (!tree) return -1;
    return formula_.EncodeFormula(*tree, kClassValue, 0, 0, out);
  }

  // Parses every text once so that the sheet references have their table
  // entries, then numbers the entries. Returns the number of texts that do
  // not compile afterwards (0 when all do).
  int32_t Prepare(const std::vector<std::string>& texts) {
    for (const auto& text : texts) (void)formula_.ParseFormula(text, kOwnSheet);
    table_.PrepareForSave();
    int32_t failed = 0;
    TXLSBlob out;
    for (const auto& text : texts) {
      if (Compile(text, out) != kResultOk) ++failed;
    }
    return failed;
  }

 private:
  static constexpr int32_t kOwnSheet = 1;

  std::vector<std::pair<int32_t, std::u16string>> sheets_{
      {1, u"Sheet1"}, {2, u"Sheet2"}, {3, u"Sheet3"}, {4, u"Data"}, {5, u"Q1 Sales"}};
  TlxExternSheetSheet table_;
  TXLSFormula formula_;
};

}  // namespace lx::bench

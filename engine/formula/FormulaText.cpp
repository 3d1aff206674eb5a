// The formula renderer: syntax tree back to formula text.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

constexpr int32_t kBiff5LastRow = 16383;

std::string ColumnLetters(int32_t column) {
  std::string text;
  if (column >= 26) text.push_back(static_cast<char>('A' + column / 26 - 1));
  text.push_back(static_cast<char>('A' + column % 26));
  return text;
}

bool InSheet(int32_t row, int32_t column) {
  return row >= 0 && row <= kFormulaLastRow && column >= 0 && column <= kFormulaLastColumn;
}

class TRenderer {
 public:
  TRenderer(const THashFunc& functions, const TlxExternSheetSheet* externSheets, int32_t baseRow, int32_t baseColumn)
      : functions_(functions), externSheets_(externSheets), baseRow_(baseRow), baseColumn_(baseColumn) {}

  bool Render(const TXLSSyntaxItem& node, std::string& out, int32_t depth) const;

 private:
  bool SheetPrefix(int32_t externSheet, std::string& out) const;
  bool Reference(const TXLSRangeItem& range, std::string& out) const;

  const THashFunc& functions_;
  const TlxExternSheetSheet* externSheets_;
  int32_t baseRow_;
  int32_t baseColumn_;
};

bool TRenderer::SheetPrefix(int32_t externSheet, std::string& out) const {
  if (externSheets_ == nullptr) return false;
  const std::u16string sheet = externSheets_->SheetText(externSheet);
  if (sheet.empty()) return false;
  out += WideToAnsi(sheet);
  out += '!';
  return true;
}

bool TRenderer::Reference(const TXLSRangeItem& range, std::string& out) const {
  if (range.IsDeleted()) {
    out += "#REF!";
    return true;
  }
  if (range.Is3D() && !SheetPrefix(range.externSheet, out)) return false;
  int32_t firstRow = range.firstRow, lastRow = range.lastRow;
  int32_t firstColumn = range.firstColumn, lastColumn = range.lastColumn;
  if (range.relativeForm) {
    if (!range.firstRowAbsolute) firstRow += baseRow_;
    if (!range.lastRowAbsolute) lastRow += baseRow_;
    if (!range.firstColumnAbsolute) firstColumn += baseColumn_;
    if (!range.lastColumnAbsolute) lastColumn += baseColumn_;
  }
  if (!InSheet(firstRow, firstColumn) || (range.IsArea() && !InSheet(lastRow, lastColumn))) {
    out += "#REF!";
    return true;
  }
  auto row = [](int32_t value, uint8_t absolute) { return (absolute ? "$" : "") + std::to_string(value + 1); };
  auto column = [](int32_t value, uint8_t absolute) { return (absolute ? "$" : "") + ColumnLetters(value); };
  if (!range.IsArea()) {
    out += column(firstColumn, range.firstColumnAbsolute) + row(firstRow, range.firstRowAbsolute);
  } else if (firstColumn == 0 && lastColumn == kFormulaLastColumn) {
    out += row(firstRow, range.firstRowAbsolute) + ":" + row(lastRow, range.lastRowAbsolute);
  } else if (firstRow == 0 && (lastRow == kFormulaLastRow || lastRow == kBiff5LastRow)) {
    out += column(firstColumn, range.firstColumnAbsolute) + ":" + column(lastColumn, range.lastColumnAbsolute);
  } else {
    out += column(firstColumn, range.firstColumnAbsolute) + row(firstRow, range.firstRowAbsolute) + ":" +
           column(lastColumn, range.lastColumnAbsolute) + row(lastRow, range.lastRowAbsolute);
  }
  return true;
}

bool TRenderer::Render(const TXLSSyntaxItem& node, std::string& out, int32_t depth) const {
  if (depth > kMaxFormulaDepth) return false;
  const int32_t kind = node.Kind();
  auto operand = [&](int32_t index) { return index < node.ChildCount() && Render(*node.Child(index), out, depth + 1); };
  switch (kind) {
    case kNodeNumber: {
      if (!std::isfinite(node.Number())) return false;
      char buffer[32];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, node.Number(), std::chars_format::general, 15);
      for (char* c = buffer; c != result.ptr; ++c) out.push_back(*c == 'e' ? 'E' : *c);
      return true;
    }
    case kNodeString:
      out += '"';
      for (char c : node.Text()) {
        out += c;
        if (c == '"') out += '"';
      }
      out += '"';
      return true;
    case kNodeBoolean:
      out += node.Value() ? "TRUE" : "FALSE";
      return true;
    case kNodeParentheses:
      out += '(';
      if (!operand(0)) return false;
      out += ')';
      return true;
    case kNodeUnaryMinus:
    case kNodeUnaryPlus:
      out += kind == kNodeUnaryMinus ? '-' : '+';
      return operand(0);
    case kNodePercent:
      if (!operand(0)) return false;
      out += '%';
      return true;
    case kNodeFunction: {
      const THashFuncEntry* entry = functions_.FindIndex(node.Value());
      if (entry == nullptr) return false;
      out += entry->name;
      out += '(';
      for (int32_t i = 0; i < node.ChildCount(); ++i) {
        if (i) out += ';';
        if (!operand(i)) return false;
      }
      out += ')';
      return true;
    }
    case kNodeName: {
      const int32_t externSheet = node.Range() ? node.Range()->externSheet : 0;
      if (externSheet > 0 && !SheetPrefix(externSheet, out)) return false;
      const std::u16string name = externSheets_ ? externSheets_->NameText(node.Value()) : std::u16string();
      out += name.empty() ? std::string("NAME!") : WideToAnsi(name);
      return true;
    }
    case kNodeReference:
      return node.Range() != nullptr && Reference(*node.Range(), out);
    default:
      break;
  }
  static const char* const kLexemes[] = {"*", "/", "+", "-", "&", "=", "<>", ">", "<", ">=", "<=", "^"};
  if (kind < kNodeMultiply || kind > kNodePower || node.ChildCount() != 2) return false;
  if (!operand(0)) return false;
  out += kLexemes[kind - kNodeMultiply];
  return operand(1);
}

}  // namespace

int32_t TXLSFormula::FormulaText(const TXLSSyntaxItem& tree, int32_t baseRow, int32_t baseColumn,
                                 std::string& text) const {
  text.clear();
  const TRenderer renderer(functions_, externSheets_, baseRow, baseColumn);
  if (!renderer.Render(tree, text, 1)) {
    text.clear();
    return kResultFail;
  }
  return kResultOk;
}

}  // namespace lx

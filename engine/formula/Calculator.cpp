// The calculator facade: compiling, rendering and writing cell formulas.
#include "lxCalculator.h"

#include "lxConstants.h"
#include "lxHandle.h"

namespace lx {

std::shared_ptr<TXLSCompiledFormula> TXLSCalculator::CompileFormula(std::string_view text,
                                                                    int32_t sheetIdentifier) const {
  auto tree = formula_.ParseFormula(text, sheetIdentifier);
  if (!tree) return nullptr;
  return std::make_shared<TXLSCompiledFormula>(std::move(tree));
}

AnsiString TXLSCalculator::GetFormulaText(const TXLSCompiledFormula& formula, int32_t row, int32_t column) const {
  std::string text;
  if (formula_.FormulaText(formula.Tree(), row, column, text) != kResultOk) return {};
  return "=" + text;
}

int32_t TXLSCalculator::WriteCellFormula(const TXLSCompiledFormula& formula, int32_t row, int32_t column,
                                         TXLSBlob& out) const {
  return formula_.EncodeFormula(formula.Tree(), kClassValue, row, column, out);
}

TXLSCalculator& WorkbookCalculator(TXLSWorkbook& book) {
  if (!book.Calculator()) book.SetCalculator(std::make_shared<TXLSCalculator>());
  TXLSCalculator& calculator = *book.Calculator();
  calculator.SetExternSheets(&book.ExternSheets());
  return calculator;
}

}  // namespace lx

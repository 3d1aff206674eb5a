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

namespace {

constexpr uint16_t kArrayCalculateOnLoad = 0x0002;

// The master's formula of a cell of an array formula (the cell's own for
// the master), or null for an ordinary formula.
const TXLSCompiledFormula* ArrayMaster(const TXLSCompiledFormula& formula) {
  const TXLSArrayFormula* link = formula.ArrayFormula();
  if (link == nullptr) return nullptr;
  return link->master ? &formula : link->masterFormula.get();
}

}  // namespace

void TXLSCompiledFormula::SetArrayMaster(int32_t firstRow, int32_t firstColumn, int32_t lastRow, int32_t lastColumn) {
  auto link = std::make_unique<TXLSArrayFormula>();
  link->firstRow = firstRow;
  link->firstColumn = firstColumn;
  link->lastRow = lastRow;
  link->lastColumn = lastColumn;
  link->masterRow = firstRow;
  link->masterColumn = firstColumn;
  link->master = true;
  arrayFormula_ = std::move(link);
}

std::shared_ptr<TXLSCompiledFormula> TXLSCompiledFormula::ArrayMember(std::shared_ptr<const TXLSCompiledFormula> master,
                                                                      int32_t row, int32_t column) {
  const TXLSArrayFormula* masterLink = master ? master->ArrayFormula() : nullptr;
  if (masterLink == nullptr || !masterLink->master) return nullptr;
  auto member = std::shared_ptr<TXLSCompiledFormula>(
      master->CopyWithOffset(row - masterLink->masterRow, column - masterLink->masterColumn));
  auto link = std::make_unique<TXLSArrayFormula>(*masterLink);
  link->master = false;
  link->masterFormula = std::move(master);
  member->arrayFormula_ = std::move(link);
  return member;
}

std::shared_ptr<TXLSCompiledFormula> TXLSCalculator::DecodeFormulaBytes(const TXLSBlob& buffer, uint32_t offset,
                                                                        int32_t version) const {
  uint32_t end = offset;
  auto tree = formula_.DecodeFormula(buffer, end, version);
  if (!tree) return nullptr;
  TXLSFormulatArrays arrays;
  if (end < buffer.Length() &&
      DecodeArrayConstants(buffer.Data() + end, buffer.Length() - end, version >= kBiff8Version, arrays) != kResultOk) {
    arrays.clear();
  }
  return std::make_shared<TXLSCompiledFormula>(std::move(tree), std::move(arrays));
}

std::shared_ptr<TXLSCompiledFormula> TXLSCalculator::DecodeFormulaBytes(const TXLSBlob& buffer, uint32_t offset,
                                                                        int32_t version, int32_t length) const {
  if (length < 0) return nullptr;
  auto tree = formula_.DecodeFormula(buffer, offset, version, length);
  return tree ? std::make_shared<TXLSCompiledFormula>(std::move(tree)) : nullptr;
}

AnsiString TXLSCalculator::GetFormulaText(const TXLSCompiledFormula& formula, int32_t row, int32_t column) const {
  std::string text;
  if (const TXLSCompiledFormula* master = ArrayMaster(formula)) {
    const TXLSArrayFormula& link = *formula.ArrayFormula();
    if (formula_.FormulaText(master->Tree(), link.masterRow, link.masterColumn, text) != kResultOk) return {};
    return "{=" + text + "}";
  }
  if (formula_.FormulaText(formula.Tree(), row, column, text) != kResultOk) return {};
  return "=" + text;
}

int32_t TXLSCalculator::WriteExpression(const TXLSCompiledFormula& formula, int32_t topClass, int32_t baseRow,
                                        int32_t baseColumn, TXLSBlob& out) const {
  if (formula_.EncodeFormula(formula.Tree(), topClass, baseRow, baseColumn, out) != kResultOk) return kResultFail;
  if (EncodeArrayConstants(formula.Arrays(), formula_.Biff5(), out) != kResultOk) {
    out.Clear();
    return kResultFail;
  }
  return kResultOk;
}

int32_t TXLSCalculator::WriteCellFormula(const TXLSCompiledFormula& formula, int32_t row, int32_t column,
                                         TXLSBlob& out) const {
  const TXLSArrayFormula* link = formula.ArrayFormula();
  if (link == nullptr) return WriteExpression(formula, kClassValue, row, column, out);
  // Every cell of an array formula, the master too, points at the master;
  // the tokens themselves go into the ARRAY record.
  out.Clear();
  out.AddWord(5);
  out.AddByte(kPtgExp);
  out.AddWord(static_cast<uint16_t>(link->masterRow));
  out.AddWord(static_cast<uint16_t>(link->masterColumn));
  return kResultOk;
}

int32_t TXLSCalculator::WriteArrayFormula(const TXLSCompiledFormula& formula, TXLSBlob& out) const {
  out.Clear();
  const TXLSArrayFormula* link = formula.ArrayFormula();
  if (link == nullptr || !link->master) return kResultFail;
  TXLSBlob tokens;
  if (WriteExpression(formula, kClassValue, link->masterRow, link->masterColumn, tokens) != kResultOk) {
    return kResultFail;
  }
  out.AddWord(static_cast<uint16_t>(link->firstRow));
  out.AddWord(static_cast<uint16_t>(link->lastRow));
  out.AddByte(static_cast<uint8_t>(link->firstColumn));
  out.AddByte(static_cast<uint8_t>(link->lastColumn));
  out.AddWord(kArrayCalculateOnLoad);
  out.AddDWord(0);
  out.AppendBlob(tokens);
  return kResultOk;
}

TXLSCalculator& WorkbookCalculator(TXLSWorkbook& book) {
  if (!book.Calculator()) book.SetCalculator(std::make_shared<TXLSCalculator>());
  TXLSCalculator& calculator = *book.Calculator();
  calculator.SetExternSheets(&book.ExternSheets());
  return calculator;
}

}  // namespace lx

// The calculator facade: compiling, rendering and writing cell formulas,
// and the driver of evaluation.
//
// Evaluating a formula reads cells, and a cell may hold a formula: the
// evaluator asks the workbook for the cell's value, and the workbook calls
// Calculate again. Those nested calls are allowed only kMaxNesting formulas
// (or kMaxNodeDepth tree levels) deep. Past that, Calculate does not
// evaluate the formula asked for: it notes it (deferred_) and returns
// kCalcDeferred, which every node passes up. Each nested formula on the way
// out notes itself (unwound_) and keeps its in-evaluation flag, for it is
// still waiting. The outermost Calculate keeps these waiting formulas on an
// explicit stack, evaluates the one that was left first and then each
// waiting one again, innermost first; by then what they wait for is cached.
// A formula that reads one of the waiting formulas has met a circle and gets
// kCalcCircular, as it would with plain recursion.
#include "lxCalculator.h"

#include <chrono>

#include "CalcEvaluator.h"
#include "lxConstants.h"
#include "lxHandle.h"
#include "lxNames.h"

namespace lx {

namespace {

// Nested formula evaluations before the explicit stack takes over, and the
// tree levels (across all nested formulas) allowed before it does. A single
// tree is at most kMaxFormulaDepth deep, so the C++ stack holds at most
// kMaxNodeDepth + kMaxFormulaDepth evaluator frames.
constexpr int32_t kMaxNesting = 32;
constexpr int32_t kMaxNodeDepth = 1200;

}  // namespace

const TXLSCalcRangeList* TXLSCalcRangeList::FromVariant(const TVariant& value) {
  if (value.VarType() != varUnknown) return nullptr;
  const XLSPtr<IXLSUnknown> object = value.InterfaceValue();
  return dynamic_cast<const TXLSCalcRangeList*>(object.Get());
}

TXLSCalculator::TXLSCalculator(TlxExternSheetSheet* externSheets)
    : formula_(externSheets),
      random_(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

TXLSCalculator::~TXLSCalculator() = default;

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

int32_t TXLSCalculator::ResolveSheets(int32_t externSheet, int32_t& firstSheet, int32_t& lastSheet) const {
  const TlxExternSheetSheet* sheets = formula_.ExternSheets();
  if (!sheets) return kResultFail;
  const TlxExternSheetSheetItem* item = sheets->Item(externSheet);
  // Only references into this workbook are evaluated.
  if (!item || !item->internal) return kResultFail;
  int32_t supBook = 0;
  return sheets->Resolve(externSheet, supBook, firstSheet, lastSheet);
}

int32_t TXLSCalculator::Calculate(const TXLSCompiledFormula& formula, int32_t sheet, int32_t generation, int32_t row,
                                  int32_t column, TVariant& value) {
  return Run({&formula, sheet, generation, row, column, false}, value);
}

int32_t TXLSCalculator::CalculateReference(const TXLSCompiledFormula& formula, int32_t sheet, int32_t generation,
                                           int32_t row, int32_t column, TVariant& value) {
  return Run({&formula, sheet, generation, row, column, true}, value);
}

int32_t TXLSCalculator::Run(const TEntry& entry, TVariant& value) {
  TXLSCalcState& state = entry.formula->CalcState();
  if (state.inEvaluation) {
    value = TVariant::Null();
    return kCalcCircular;
  }
  if (entry.generation != 0 && state.generation == entry.generation && state.sheet == entry.sheet &&
      state.row == entry.row && state.column == entry.column) {
    value = state.value;
    return state.status;
  }
  if (nesting_ > 0) {
    // A formula without a generation cannot be cached, so it cannot wait on
    // the explicit stack: it is evaluated here whatever the depth.
    if ((nesting_ >= kMaxNesting || nodeDepth_ >= kMaxNodeDepth) && entry.generation != 0) {
      deferred_ = entry;
      hasDeferred_ = true;
      value = TVariant::Null();
      return kCalcDeferred;
    }
    const int32_t status = EvaluateEntry(entry, value);
    if (status == kCalcDeferred) unwound_.push_back(entry);
    return status;
  }

  // The outermost call: the explicit stack, made only when a deferral
  // needs it.
  unwound_.clear();
  hasDeferred_ = false;
  int32_t status = EvaluateEntry(entry, value);
  if (status != kCalcDeferred) return status;
  std::vector<TEntry> stack{entry};
  while (!stack.empty()) {
    if (status == kCalcDeferred) {
      if (!hasDeferred_) {
        // Cannot happen: a deferral always notes its formula. Give up
        // rather than loop.
        for (const TEntry& waiting : stack) waiting.formula->CalcState().inEvaluation = false;
        for (const TEntry& waiting : unwound_) waiting.formula->CalcState().inEvaluation = false;
        value = TVariant::Null();
        return kResultFail;
      }
      for (auto it = unwound_.rbegin(); it != unwound_.rend(); ++it) stack.push_back(*it);
      stack.push_back(deferred_);
    } else {
      stack.pop_back();
      if (stack.empty()) break;
    }
    unwound_.clear();
    hasDeferred_ = false;
    status = EvaluateEntry(stack.back(), value);
  }
  unwound_.clear();
  return status;
}

int32_t TXLSCalculator::EvaluateEntry(const TEntry& entry, TVariant& value) {
  TXLSCalcState& state = entry.formula->CalcState();
  state.inEvaluation = true;
  ++nesting_;
  TXLSCalcEvaluator evaluator(*this, entry.sheet, entry.row, entry.column);
  // Array formulas are not evaluated: their cells are left to the reader.
  int32_t status = entry.formula->ArrayFormula()
                       ? kCalcUnsupported
                       : evaluator.Eval(entry.formula->Tree(), entry.reference, TCalcCoerce::None, value);
  --nesting_;
  if (status == kCalcDeferred) return status;  // still waiting: the flag stays
  if (status == kCalcOk) {
    if (!entry.reference && TXLSCalcEvaluator::IsNumberKind(value) && value.ToDouble() == 0) value = TVariant(0);
  } else {
    value = TVariant::Null();
  }
  // Failures are cached too: within one generation a failing formula fails
  // again, and a long circle would otherwise be walked once per member.
  state.value = value;
  state.status = status;
  state.generation = entry.generation;
  state.sheet = entry.sheet;
  state.row = entry.row;
  state.column = entry.column;
  state.inEvaluation = false;
  return status;
}

TXLSCalculator& WorkbookCalculator(TXLSWorkbook& book) {
  if (!book.Calculator()) {
    auto calculator = std::make_shared<TXLSCalculator>();
    TXLSWorkbook* owner = &book;  // the calculator lives as long as its workbook
    calculator->SetCellValueSource([owner](int32_t sheet, int32_t row, int32_t column, TVariant& value, bool& beyond) {
      return owner->CellValue(sheet, row, column, value, beyond);
    });
    calculator->SetGenerationSource([owner] { return owner->Generation(); });
    // A name is evaluated on its own sheet, a workbook name on the sheet of
    // the formula that uses it.
    calculator->SetNameSource(
        [owner](int32_t identifier, int32_t defaultSheet, int32_t& sheet) -> const TXLSCompiledFormula* {
          const TXLSCustomName* name = owner->NameStore().FindIdentifier(identifier);
          if (!name || !name->Formula()) return nullptr;
          const int32_t scope = name->Store() ? name->Store()->SheetIdentifier() : 0;
          sheet = scope > 0 ? owner->PositionOfSheetIdentifier(scope) : defaultSheet;
          return name->Formula();
        });
    book.SetCalculator(std::move(calculator));
  }
  TXLSCalculator& calculator = *book.Calculator();
  calculator.SetExternSheets(&book.ExternSheets());
  return calculator;
}

}  // namespace lx

// The evaluator's nodes: literals, references, names, operators, and the
// coercions and comparison they use.
#include <cmath>

#include "CalcEvaluator.h"
#include "lxConstants.h"

namespace lx {

namespace {

std::u16string UpperAscii(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return upper;
}

// Coordinates of a relative-form reference are offsets from the cell and
// wrap around the sheet as the file's offsets do.
int32_t Wrap(int32_t value, int32_t size) { return ((value % size) + size) % size; }

}  // namespace

TCalcKind TXLSCalcEvaluator::KindOf(const TVariant& v) {
  if (IsNumberKind(v)) return TCalcKind::Number;
  if (v.IsString()) return TCalcKind::Text;
  if (v.VarType() == varBoolean) return TCalcKind::Boolean;
  return TCalcKind::Other;
}

bool TXLSCalcEvaluator::TextOf(const TVariant& v, std::u16string& text) {
  if (IsEmptyValue(v)) {
    text.clear();
    return true;
  }
  if (v.IsString()) {
    text = v.VarType() == varOleStr ? v.WideValue() : v.ToWide();
    return true;
  }
  if (v.VarType() == varBoolean) {
    text = v.ToBool() ? u"TRUE" : u"FALSE";
    return true;
  }
  if (IsNumberKind(v)) {
    text = v.IsInteger() ? v.ToWide() : FloatToText(v.ToDouble());
    return true;
  }
  return false;
}

int32_t TXLSCalcEvaluator::Coerce(TVariant& v, TCalcCoerce coerce) {
  switch (coerce) {
    case TCalcCoerce::None:
      return kCalcOk;
    case TCalcCoerce::Number:
      if (IsEmptyValue(v)) {
        v = TVariant(0);
      } else if (IsNumberKind(v)) {
        // unchanged
      } else if (v.IsString()) {
        const std::u16string text = v.ToWide();
        if (text.empty()) {
          v = TVariant::Null();
        } else {
          double number = 0;
          if (!TextToFloat(text, number)) return kCalcErrorValue;
          v = TVariant(number);
        }
      } else if (v.VarType() == varBoolean) {
        v = TVariant(v.ToBool() ? 1 : 0);
      } else {
        return kCalcErrorValue;
      }
      return kCalcOk;
    case TCalcCoerce::Text: {
      std::u16string text;
      if (!TextOf(v, text)) return kCalcErrorValue;
      v = TVariant(std::move(text));
      return kCalcOk;
    }
    case TCalcCoerce::Boolean:
      if (IsEmptyValue(v)) {
        v = TVariant(false);
      } else if (IsNumberKind(v)) {
        v = TVariant(v.ToDouble() != 0);
      } else if (v.IsString()) {
        v = TVariant(UpperAscii(v.ToWide()) == u"TRUE");
      } else if (v.VarType() != varBoolean) {
        return kCalcErrorValue;
      }
      return kCalcOk;
  }
  return kCalcErrorValue;
}

int32_t TXLSCalcEvaluator::CompareValues(const TVariant& left, const TVariant& right) {
  const bool leftEmpty = IsEmptyValue(left);
  const bool rightEmpty = IsEmptyValue(right);
  if (leftEmpty) return rightEmpty ? 0 : -1;
  if (rightEmpty) return 1;
  const TCalcKind a = KindOf(left);
  const TCalcKind b = KindOf(right);
  if (a != b) return a < b ? -1 : 1;
  switch (a) {
    case TCalcKind::Number: {
      const double x = left.ToDouble();
      const double y = right.ToDouble();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TCalcKind::Text: {
      const std::u16string x = UpperAscii(left.ToWide());
      const std::u16string y = UpperAscii(right.ToWide());
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TCalcKind::Boolean: {
      const int x = left.ToBool() ? 1 : 0;
      const int y = right.ToBool() ? 1 : 0;
      return x - y;
    }
    case TCalcKind::Other:
      return 0;
  }
  return 0;
}

int32_t TXLSCalcEvaluator::CellValue(int32_t sheet, int32_t row, int32_t column, TVariant& value, bool& beyond) const {
  beyond = false;
  if (!calc_.cellValue_) {
    value = TVariant::Null();
    return kResultFail;
  }
  return calc_.cellValue_(sheet, row, column, value, beyond);
}

bool TXLSCalcEvaluator::IsReferenceNode(const TXLSSyntaxItem& node) const {
  const TXLSSyntaxItem* n = &node;
  while (n->Kind() == kNodeParentheses && n->ChildCount() == 1) n = n->Child(0);
  return n->Kind() == kNodeReference || n->Kind() == kNodeName;
}

int32_t TXLSCalcEvaluator::RangesOf(const TXLSSyntaxItem& node, TXLSCalcRanges& ranges) {
  const TXLSSyntaxItem* n = &node;
  while (n->Kind() == kNodeParentheses && n->ChildCount() == 1) n = n->Child(0);
  ranges.clear();
  if (n->Kind() == kNodeReference && n->Range()) return RangesOfReference(*n->Range(), ranges);
  if (n->Kind() == kNodeName) return RangesOfName(*n, ranges);
  return kCalcErrorValue;
}

int32_t TXLSCalcEvaluator::RangesOfReference(const TXLSRangeItem& item, TXLSCalcRanges& ranges) const {
  if (item.IsDeleted()) return kCalcErrorRef;
  const bool area = item.IsArea();
  int32_t firstRow = item.firstRow;
  int32_t lastRow = area ? item.lastRow : item.firstRow;
  int32_t firstColumn = item.firstColumn;
  int32_t lastColumn = area ? item.lastColumn : item.firstColumn;
  if (item.relativeForm) {
    const uint8_t lastRowAbsolute = area ? item.lastRowAbsolute : item.firstRowAbsolute;
    const uint8_t lastColumnAbsolute = area ? item.lastColumnAbsolute : item.firstColumnAbsolute;
    if (!item.firstRowAbsolute) firstRow = Wrap(firstRow + row_, kFormulaLastRow + 1);
    if (!lastRowAbsolute) lastRow = Wrap(lastRow + row_, kFormulaLastRow + 1);
    if (!item.firstColumnAbsolute) firstColumn = Wrap(firstColumn + column_, kFormulaLastColumn + 1);
    if (!lastColumnAbsolute) lastColumn = Wrap(lastColumn + column_, kFormulaLastColumn + 1);
  }
  if (firstRow > lastRow) std::swap(firstRow, lastRow);
  if (firstColumn > lastColumn) std::swap(firstColumn, lastColumn);
  if (firstRow < 0 || lastRow > kFormulaLastRow || firstColumn < 0 || lastColumn > kFormulaLastColumn)
    return kCalcErrorRef;
  int32_t firstSheet = sheet_;
  int32_t lastSheet = sheet_;
  if (item.Is3D() && calc_.ResolveSheets(item.externSheet, firstSheet, lastSheet) != kResultOk) return kCalcErrorRef;
  for (int32_t sheet = firstSheet; sheet <= lastSheet; ++sheet)
    ranges.push_back({firstRow, firstColumn, lastRow, lastColumn, sheet});
  return kCalcOk;
}

int32_t TXLSCalcEvaluator::RangesOfName(const TXLSSyntaxItem& node, TXLSCalcRanges& ranges) {
  // The one place names are looked up: the workbook's name store answers
  // through the calculator's name source.
  int32_t sheet = sheet_;
  const TXLSCompiledFormula* formula = calc_.nameSource_ ? calc_.nameSource_(node.Value(), sheet_, sheet) : nullptr;
  if (!formula) return kCalcErrorName;
  TVariant result;
  const int32_t status = calc_.Run({formula, sheet, calc_.CurrentGeneration(), 0, 0, true}, result);
  if (status != kCalcOk) return status;
  const TXLSCalcRangeList* list = TXLSCalcRangeList::FromVariant(result);
  if (!list || list->Count() != 1) return kCalcErrorValue;
  for (const TXLSCalcRange& range : list->Ranges()) ranges.push_back(range);
  return kCalcOk;
}

int32_t TXLSCalcEvaluator::ReferencedValue(const TXLSCalcRanges& ranges, TVariant& out) {
  if (ranges.size() == 1 && ranges[0].firstRow == ranges[0].lastRow && ranges[0].firstColumn == ranges[0].lastColumn) {
    bool beyond = false;
    return CellValue(ranges[0].sheet, ranges[0].firstRow, ranges[0].firstColumn, out, beyond);
  }
  double sum = 0;
  bool any = false;
  const int32_t status = ForEachCell(ranges, [&](const TVariant& v) {
    if (v.IsNumeric()) {
      sum += v.ToDouble();
      any = true;
    }
    return kCalcOk;
  });
  if (status != kCalcOk) return status;
  out = any ? TVariant(sum) : TVariant();
  return kCalcOk;
}

int32_t TXLSCalcEvaluator::Eval(const TXLSSyntaxItem& node, bool reference, TCalcCoerce coerce, TVariant& out) {
  TDepthGuard guard(calc_.nodeDepth_);
  switch (node.Kind()) {
    case kNodeNumber:
      out = TVariant(node.Number());
      return Coerce(out, coerce);
    case kNodeString:
      out = TVariant(AnsiToWide(node.Text()));
      return Coerce(out, coerce);
    case kNodeBoolean:
      out = TVariant(node.Value() != 0);
      return Coerce(out, coerce);
    case kNodeParentheses:
      if (node.ChildCount() != 1) return kCalcUnknownNode;
      return Eval(*node.Child(0), reference, coerce, out);
    case kNodeReference:
    case kNodeName: {
      TXLSCalcRanges ranges;
      const int32_t status = node.Kind() == kNodeName ? RangesOfName(node, ranges)
                             : node.Range()           ? RangesOfReference(*node.Range(), ranges)
                                                      : kCalcUnknownNode;
      if (status != kCalcOk) return status;
      if (reference && coerce == TCalcCoerce::None) {
        XLSPtr<TXLSCalcRangeList> list(new TXLSCalcRangeList);
        for (const TXLSCalcRange& range : ranges) list->Add(range);
        out = TVariant::FromInterface(XLSPtr<IXLSUnknown>(list.Get()));
        return kCalcOk;
      }
      const int32_t got = ReferencedValue(ranges, out);
      if (got != kCalcOk) return got;
      return Coerce(out, coerce);
    }
    case kNodeUnaryMinus:
    case kNodePercent: {
      if (node.ChildCount() != 1) return kCalcUnknownNode;
      const int32_t status = Eval(*node.Child(0), false, TCalcCoerce::Number, out);
      if (status != kCalcOk) return status;
      if (!out.IsNull()) out = TVariant(node.Kind() == kNodeUnaryMinus ? -out.ToDouble() : out.ToDouble() / 100);
      return Coerce(out, coerce);
    }
    case kNodeUnaryPlus: {
      if (node.ChildCount() != 1) return kCalcUnknownNode;
      const int32_t status = Eval(*node.Child(0), false, TCalcCoerce::None, out);
      if (status != kCalcOk) return status;
      if (coerce == TCalcCoerce::None && IsEmptyValue(out)) out = TVariant(0);
      return Coerce(out, coerce);
    }
    case kNodeMultiply:
    case kNodeDivide:
    case kNodeAdd:
    case kNodeSubtract:
    case kNodePower: {
      const int32_t status = EvalArithmetic(node, out);
      if (status != kCalcOk) return status;
      return Coerce(out, coerce);
    }
    case kNodeConcat: {
      if (node.ChildCount() != 2) return kCalcUnknownNode;
      TVariant left;
      TVariant right;
      int32_t status = Eval(*node.Child(0), false, TCalcCoerce::Text, left);
      if (status != kCalcOk) return status;
      status = Eval(*node.Child(1), false, TCalcCoerce::Text, right);
      if (status != kCalcOk) return status;
      out = TVariant(left.WideValue() + right.WideValue());
      return Coerce(out, coerce);
    }
    case kNodeEqual:
    case kNodeNotEqual:
    case kNodeGreater:
    case kNodeLess:
    case kNodeGreaterEqual:
    case kNodeLessEqual: {
      if (node.ChildCount() != 2) return kCalcUnknownNode;
      TVariant left;
      TVariant right;
      int32_t status = Eval(*node.Child(0), false, TCalcCoerce::None, left);
      if (status != kCalcOk) return status;
      status = Eval(*node.Child(1), false, TCalcCoerce::None, right);
      if (status != kCalcOk) return status;
      const int32_t order = CompareValues(left, right);
      bool result = false;
      switch (node.Kind()) {
        case kNodeEqual:
          result = order == 0;
          break;
        case kNodeNotEqual:
          result = order != 0;
          break;
        case kNodeGreater:
          result = order > 0;
          break;
        case kNodeLess:
          result = order < 0;
          break;
        case kNodeGreaterEqual:
          result = order >= 0;
          break;
        default:
          result = order <= 0;
          break;
      }
      out = TVariant(result);
      return Coerce(out, coerce);
    }
    case kNodeFunction:
      return TXLSCalcFunctions::Call(*this, node, reference, coerce, out);
    default:
      return kCalcUnknownNode;
  }
}

int32_t TXLSCalcEvaluator::EvalArithmetic(const TXLSSyntaxItem& node, TVariant& out) {
  if (node.ChildCount() != 2) return kCalcUnknownNode;
  TVariant left;
  TVariant right;
  int32_t status = Eval(*node.Child(0), false, TCalcCoerce::Number, left);
  if (status != kCalcOk) return status;
  status = Eval(*node.Child(1), false, TCalcCoerce::Number, right);
  if (status != kCalcOk) return status;
  // The empty text converts to null, and null stays null through arithmetic.
  if (left.IsNull() || right.IsNull()) {
    out = TVariant::Null();
    return kCalcOk;
  }
  const double x = left.ToDouble();
  const double y = right.ToDouble();
  double r = 0;
  switch (node.Kind()) {
    case kNodeMultiply:
      r = x * y;
      break;
    case kNodeDivide:
      if (y == 0) return kCalcErrorDiv0;
      r = x / y;
      if (!std::isfinite(r)) return kCalcErrorDiv0;
      break;
    case kNodeAdd:
    case kNodeSubtract: {
      r = node.Kind() == kNodeAdd ? x + y : x - y;
      // At the root, a sum that cancels down to the noise of its left
      // operand's last bits is taken as 0 (0.1+0.2-0.3).
      if (!node.Parent() && r != 0 && r > -1 && r < 1 && x != 0 && std::isfinite(x) &&
          std::ilogb(x) - std::ilogb(r) > 49)
        r = 0;
      break;
    }
    case kNodePower:
      if (x == 0) {
        if (y == 0) {
          r = 1;
          break;
        }
        if (y > 0) {
          r = 0;
          break;
        }
        return kCalcErrorDiv0;
      }
      r = std::pow(x, y);
      break;
    default:
      return kCalcUnknownNode;
  }
  if (!std::isfinite(r)) return kCalcErrorNum;
  out = TVariant(r);
  return kCalcOk;
}

}  // namespace lx

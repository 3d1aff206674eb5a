// The evaluator of one formula for one cell: walks the syntax tree and
// computes values, reading cells through the calculator's callback. Used by
// TXLSCalculator only (Calculator.cpp, CalcOperators.cpp, CalcFunctions.cpp).
//
// Every node is evaluated with two requests from its parent: a value or a
// reference, and a coercion applied to the result. A status other than 1
// from any child is passed up unchanged, which is also how a deferral
// (kCalcDeferred) unwinds to the calculator's explicit stack.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "lxCalculator.h"

namespace lx {

enum class TCalcCoerce { None, Number, Text, Boolean };

// The ranges of a reference: almost always one, so the first two live in
// place and evaluating a reference allocates nothing.
class TXLSCalcRanges {
 public:
  class const_iterator {
   public:
    const_iterator(const TXLSCalcRanges* owner, size_t index) : owner_(owner), index_(index) {}
    const TXLSCalcRange& operator*() const { return (*owner_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator!=(const const_iterator& other) const { return index_ != other.index_; }

   private:
    const TXLSCalcRanges* owner_;
    size_t index_;
  };

  void clear() {
    size_ = 0;
    more_.clear();
  }
  void push_back(const TXLSCalcRange& range) {
    if (size_ < kInPlace) {
      inPlace_[size_] = range;
    } else {
      more_.push_back(range);
    }
    ++size_;
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const TXLSCalcRange& operator[](size_t index) const {
    return index < kInPlace ? inPlace_[index] : more_[index - kInPlace];
  }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size_}; }

 private:
  static constexpr size_t kInPlace = 2;
  TXLSCalcRange inPlace_[kInPlace];
  std::vector<TXLSCalcRange> more_;
  size_t size_ = 0;
};

// Kinds of values in comparisons, in their order.
enum class TCalcKind { Number = 0, Text = 1, Boolean = 2, Other = 3 };

class TXLSCalcEvaluator {
 public:
  TXLSCalcEvaluator(TXLSCalculator& calculator, int32_t sheet, int32_t row, int32_t column)
      : calc_(calculator), sheet_(sheet), row_(row), column_(column) {}

  // The node's value (or, with reference and no coercion, a range list).
  int32_t Eval(const TXLSSyntaxItem& node, bool reference, TCalcCoerce coerce, TVariant& out);

  // Value helpers shared by the operators and the functions.
  static bool IsEmptyValue(const TVariant& v) { return v.IsEmpty() || v.IsNull(); }
  // Numbers of every width and dates.
  static bool IsNumberKind(const TVariant& v) { return v.IsNumeric() || v.VarType() == varDate; }
  static TCalcKind KindOf(const TVariant& v);
  // The coercion table: 1, or #VALUE! (v unchanged).
  static int32_t Coerce(TVariant& v, TCalcCoerce coerce);
  // Text of a value as the text coercion gives it; false when it has none.
  static bool TextOf(const TVariant& v, std::u16string& text);
  // -1, 0 or 1 in the order of the comparison operators.
  static int32_t CompareValues(const TVariant& left, const TVariant& right);

  // The formula's cell, and what the functions need of the calculator.
  int32_t Row() const { return row_; }
  int32_t Column() const { return column_; }
  TXLSFormater& Formater() { return calc_.formater_; }
  double Random() { return std::uniform_real_distribution<double>(0.0, 1.0)(calc_.random_); }

  // The ranges a reference or name node (through parentheses) covers; false
  // (status untouched) when the node is neither.
  bool IsReferenceNode(const TXLSSyntaxItem& node) const;
  int32_t RangesOf(const TXLSSyntaxItem& node, TXLSCalcRanges& ranges);
  int32_t RangesOfReference(const TXLSRangeItem& item, TXLSCalcRanges& ranges) const;
  int32_t RangesOfName(const TXLSSyntaxItem& node, TXLSCalcRanges& ranges);
  // The value a reference stands for where a value is wanted: one cell's
  // value, or the sum of the numeric cells of a larger reference.
  int32_t ReferencedValue(const TXLSCalcRanges& ranges, TVariant& out);

  int32_t CellValue(int32_t sheet, int32_t row, int32_t column, TVariant& value, bool& beyond) const;
  int32_t EvalArithmetic(const TXLSSyntaxItem& node, TVariant& out);
  // Calls visit(value) for every cell of the ranges, sheet by sheet and row
  // by row, stopping a row at the sheet's used area; a status other than 1
  // from a cell or from visit ends the walk and is returned.
  template <class Visit>
  int32_t ForEachCell(const TXLSCalcRanges& ranges, Visit&& visit) const {
    for (const TXLSCalcRange& range : ranges) {
      bool skipRest = false;
      for (int32_t row = range.firstRow; row <= range.lastRow && !skipRest; ++row) {
        for (int32_t column = range.firstColumn; column <= range.lastColumn; ++column) {
          TVariant value;
          bool beyond = false;
          const int32_t status = CellValue(range.sheet, row, column, value, beyond);
          if (status != kCalcOk) return status;
          if (beyond) {
            skipRest = column == range.firstColumn;
            break;
          }
          const int32_t visited = visit(value);
          if (visited != kCalcOk) return visited;
        }
      }
    }
    return kCalcOk;
  }

 private:
  TXLSCalculator& calc_;
  int32_t sheet_;
  int32_t row_;
  int32_t column_;
};

// The worksheet functions (CalcFunctions.cpp).
class TXLSCalcFunctions {
 public:
  static int32_t Call(TXLSCalcEvaluator& ev, const TXLSSyntaxItem& node, bool reference, TCalcCoerce coerce,
                      TVariant& out);
};

// Rounding with the tolerance of the spreadsheet functions (CalcFunctions.cpp).
double TolerantFloor(double x);
double TolerantCeiling(double x);
double TruncateTolerant(double x);
double RoundHalfAwayTolerant(double x);
double RoundAwayTolerant(double x);
// Criteria of SUMIF and COUNTIF, and the wildcard match of their texts.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view text, bool& valid);

}  // namespace lx

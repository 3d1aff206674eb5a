// The formula engine as the rest of the engine calls it.
//
// Cells hold their formulas as TXLSCompiledFormula objects: the syntax tree
// of lxFormula.h, owned by the formula. TXLSCalculator is the one entry point
// the workbook, the worksheet writer and (later) the reader use: it compiles
// a formula text for a sheet, renders a compiled formula back to text for a
// cell, and writes the token bytes of a cell's FORMULA record. A workbook
// makes one calculator the first time it compiles or writes a formula and
// keeps it; the function table it holds is built once, there.
//
// Evaluation is not done here yet: a formula cell's value reads as null and
// the writer marks its FORMULA records for calculation when the file opens.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "lxBLOB.h"
#include "lxFormula.h"
#include "lxText.h"

namespace lx {

class TXLSWorkbook;

class TXLSCompiledFormula {
 public:
  explicit TXLSCompiledFormula(std::unique_ptr<TXLSSyntaxItem> tree) : tree_(std::move(tree)) {}

  const TXLSSyntaxItem& Tree() const { return *tree_; }

  // A deep copy, and a copy whose relative references move by the offsets
  // (a cell copied rowOffset rows down and columnOffset columns right).
  std::unique_ptr<TXLSCompiledFormula> Copy() const { return CopyWithOffset(0, 0); }
  std::unique_ptr<TXLSCompiledFormula> CopyWithOffset(int32_t rowOffset, int32_t columnOffset) const {
    return std::make_unique<TXLSCompiledFormula>(tree_->CopyWithOffset(rowOffset, columnOffset));
  }

 private:
  std::unique_ptr<TXLSSyntaxItem> tree_;  // never null
};

class TXLSCalculator {
 public:
  // externSheets is the workbook's table (not owned, may be null).
  explicit TXLSCalculator(TlxExternSheetSheet* externSheets = nullptr) : formula_(externSheets) {}

  // The workbook replaces its table when it is reset, so the owner hands the
  // current one over before each use.
  void SetExternSheets(TlxExternSheetSheet* externSheets) { formula_.SetExternSheets(externSheets); }
  // File version of the token bytes written: BIFF5 when set.
  void SetBiff5(bool biff5) { formula_.SetBiff5(biff5); }
  bool Biff5() const { return formula_.Biff5(); }
  const TXLSFormula& Formula() const { return formula_; }

  // The formula of text (without its "=") on the sheet with identifier
  // sheetIdentifier (0: none), or null when the text does not compile.
  std::shared_ptr<TXLSCompiledFormula> CompileFormula(std::string_view text, int32_t sheetIdentifier) const;

  // "=" and the formula's text for the cell (row, column), both 0-based;
  // empty when the formula has no text form.
  AnsiString GetFormulaText(const TXLSCompiledFormula& formula, int32_t row, int32_t column) const;

  // The token bytes of a FORMULA record for the cell (row, column): their
  // 16-bit length and the tokens, asked for as a value. 1, or -1 (out
  // emptied) when the formula cannot be written in the current version.
  [[nodiscard]] int32_t WriteCellFormula(const TXLSCompiledFormula& formula, int32_t row, int32_t column,
                                         TXLSBlob& out) const;

 private:
  TXLSFormula formula_;
};

// The workbook's calculator, made on first use, with the workbook's current
// external-sheet table handed over.
TXLSCalculator& WorkbookCalculator(TXLSWorkbook& book);

// The single reference a formula stands for, followed through defined names
// (at most kMaxNameChain of them, so a name that refers to itself ends):
// the reference's sheet replaces sheetIdentifier (the sheet the formula is
// evaluated on, used for references without a sheet), the rectangle is
// 0-based. False for anything but one live reference on one sheet.
inline constexpr int32_t kMaxNameChain = 64;
bool FormulaReferenceArea(TXLSWorkbook& book, const TXLSCompiledFormula& formula, int32_t& sheetIdentifier,
                          int32_t& firstRow, int32_t& lastRow, int32_t& firstColumn, int32_t& lastColumn);

}  // namespace lx

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

class TXLSCompiledFormula;

// The block of an array formula: one formula entered over a rectangle of
// cells. The top-left cell is the master, whose FORMULA record carries the
// tokens (in an ARRAY record after it); the other cells, the members, point
// at the master. Rows and columns are 0-based.
struct TXLSArrayFormula {
  int32_t firstRow = 0;
  int32_t firstColumn = 0;
  int32_t lastRow = 0;
  int32_t lastColumn = 0;
  int32_t masterRow = 0;
  int32_t masterColumn = 0;
  bool master = false;
  // A member's link to the master's formula; null on the master's own link.
  // Shared, so that a member never refers to a formula already freed.
  std::shared_ptr<const TXLSCompiledFormula> masterFormula;
};

class TXLSCompiledFormula {
 public:
  explicit TXLSCompiledFormula(std::unique_ptr<TXLSSyntaxItem> tree, TXLSFormulatArrays arrays = {})
      : tree_(std::move(tree)), arrays_(std::move(arrays)) {}

  const TXLSSyntaxItem& Tree() const { return *tree_; }
  // Constants of the tree's tArray tokens, in token order; empty for
  // formulas typed as text (the parser takes no array constants).
  const TXLSFormulatArrays& Arrays() const { return arrays_; }

  // The array-formula link: null for an ordinary formula.
  const TXLSArrayFormula* ArrayFormula() const { return arrayFormula_.get(); }
  // Makes this formula the master of an array formula over the block whose
  // top-left cell is (firstRow, firstColumn).
  void SetArrayMaster(int32_t firstRow, int32_t firstColumn, int32_t lastRow, int32_t lastColumn);
  // The formula of the member cell (row, column) of master's array formula:
  // it refers to the master, and its own tree is the master's moved to the
  // cell, so that a copy of the cell alone is an ordinary formula.
  static std::shared_ptr<TXLSCompiledFormula> ArrayMember(std::shared_ptr<const TXLSCompiledFormula> master,
                                                          int32_t row, int32_t column);

  // A deep copy, and a copy whose relative references move by the offsets
  // (a cell copied rowOffset rows down and columnOffset columns right). The
  // constants are copied; the array-formula link is not, since a copied
  // cell stands alone.
  std::unique_ptr<TXLSCompiledFormula> Copy() const { return CopyWithOffset(0, 0); }
  std::unique_ptr<TXLSCompiledFormula> CopyWithOffset(int32_t rowOffset, int32_t columnOffset) const {
    return std::make_unique<TXLSCompiledFormula>(tree_->CopyWithOffset(rowOffset, columnOffset), arrays_);
  }

 private:
  std::unique_ptr<TXLSSyntaxItem> tree_;  // never null
  TXLSFormulatArrays arrays_;
  std::unique_ptr<TXLSArrayFormula> arrayFormula_;
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
  // empty when the formula has no text form. A cell of an array formula
  // shows the master's formula, for the master cell, as "{=...}".
  AnsiString GetFormulaText(const TXLSCompiledFormula& formula, int32_t row, int32_t column) const;

  // The compiled formula of token bytes read from a file: the 16-bit token
  // length at offset, then the tokens; the bytes after the tokens up to the
  // end of the buffer are the array constants (dropped, formula kept, when
  // they are malformed). With an explicit length the tokens start at offset
  // and no constants are read. version is the BIFF version number (0x0600
  // and above: BIFF8). Null when the tokens do not decode.
  std::shared_ptr<TXLSCompiledFormula> DecodeFormulaBytes(const TXLSBlob& buffer, uint32_t offset,
                                                          int32_t version) const;
  std::shared_ptr<TXLSCompiledFormula> DecodeFormulaBytes(const TXLSBlob& buffer, uint32_t offset, int32_t version,
                                                          int32_t length) const;

  // The token bytes of a FORMULA record for the cell (row, column): their
  // 16-bit length and the tokens, asked for as a value, then the array
  // constants; for a cell of an array formula the five bytes that point at
  // the master. 1, or -1 (out emptied) when the formula cannot be written in
  // the current version. out keeps its buffer between calls.
  [[nodiscard]] int32_t WriteCellFormula(const TXLSCompiledFormula& formula, int32_t row, int32_t column,
                                         TXLSBlob& out) const;
  // The payload of the ARRAY record written after an array formula's master
  // cell: the block, calculate-on-load options, the tokens for the master
  // cell and the constants. 1, or -1 (out emptied) when formula is no master
  // or does not encode.
  [[nodiscard]] int32_t WriteArrayFormula(const TXLSCompiledFormula& formula, TXLSBlob& out) const;
  // Tokens asked for in topClass for the base cell, then the constants: the
  // expression of a defined name, a rule or a chart series. 1, or -1 (out
  // emptied).
  [[nodiscard]] int32_t WriteExpression(const TXLSCompiledFormula& formula, int32_t topClass, int32_t baseRow,
                                        int32_t baseColumn, TXLSBlob& out) const;

 private:
  TXLSFormula formula_;
};

// The workbook's calculator, made on first use, with the workbook's current
// external-sheet table handed over.
TXLSCalculator& WorkbookCalculator(TXLSWorkbook& book);

}  // namespace lx

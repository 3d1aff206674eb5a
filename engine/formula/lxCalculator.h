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
// The calculator also evaluates: Calculate turns a compiled formula into a
// value for a cell, reading other cells through a callback the workbook
// installs. Each formula caches its result under the workbook's evaluation
// generation, which moves on whenever cells are assigned, so a formula is
// computed at most once per generation. Formulas that refer to formulas are
// evaluated through nested calls up to a small nesting depth; deeper chains
// are finished from an explicit stack (see Calculator.cpp), so a chain of
// any length neither recurses per formula nor exhausts the stack.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

#include "lxBLOB.h"
#include "lxFormula.h"
#include "lxMasks.h"
#include "lxObject.h"
#include "lxText.h"
#include "lxVariant.h"

namespace lx {

class TXLSWorkbook;

// Evaluation statuses: 1 success; the spreadsheet errors by their BIFF
// codes; negative values for what the evaluator cannot compute.
inline constexpr int32_t kCalcOk = 1;
inline constexpr int32_t kCalcErrorNull = 0;
inline constexpr int32_t kCalcErrorDiv0 = 7;
inline constexpr int32_t kCalcErrorValue = 15;
inline constexpr int32_t kCalcErrorRef = 23;
inline constexpr int32_t kCalcErrorName = 29;
inline constexpr int32_t kCalcErrorNum = 36;
inline constexpr int32_t kCalcErrorNA = 42;
// A function this engine does not evaluate, or a cell of an array formula.
inline constexpr int32_t kCalcUnsupported = -100;
// The formula was entered again while it was being evaluated.
inline constexpr int32_t kCalcCircular = -101;
// A node kind or operator the evaluator does not know.
inline constexpr int32_t kCalcUnknownNode = -102;
// Internal: a formula nested too deeply was left for the explicit stack.
// Never returned by Calculate.
inline constexpr int32_t kCalcDeferred = -103;

// Whether a status is one of the seven spreadsheet error codes.
constexpr bool IsCalcError(int32_t status) {
  return status == kCalcErrorNull || status == kCalcErrorDiv0 || status == kCalcErrorValue || status == kCalcErrorRef ||
         status == kCalcErrorName || status == kCalcErrorNum || status == kCalcErrorNA;
}

// One rectangle of a reference on one sheet: rows and columns 0-based and
// ordered, the sheet by its 1-based position.
struct TXLSCalcRange {
  int32_t firstRow = 0;
  int32_t firstColumn = 0;
  int32_t lastRow = 0;
  int32_t lastColumn = 0;
  int32_t sheet = 0;
};

// A reference as a value: one range per sheet it spans, numbered from 1.
// Travels in a variant as an interface (TVariant::FromInterface).
class TXLSCalcRangeList : public TXLSInterfaced<IXLSUnknown> {
 public:
  int32_t Count() const { return static_cast<int32_t>(ranges_.size()); }
  // index 1..Count.
  const TXLSCalcRange& Item(int32_t index) const { return ranges_[static_cast<size_t>(index - 1)]; }
  void Add(const TXLSCalcRange& range) { ranges_.push_back(range); }
  const std::vector<TXLSCalcRange>& Ranges() const { return ranges_; }
  // The list a variant holds, or null when it holds none.
  static const TXLSCalcRangeList* FromVariant(const TVariant& value);

 private:
  std::vector<TXLSCalcRange> ranges_;
};

// What the calculator keeps on a compiled formula between evaluations.
struct TXLSCalcState {
  bool inEvaluation = false;
  // Generation of the cached result; 0: none.
  int32_t generation = 0;
  int32_t status = kCalcOk;
  // The cell the result was computed for.
  int32_t sheet = 0;
  int32_t row = 0;
  int32_t column = 0;
  TVariant value;
};

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

  // The calculator's cache and in-evaluation flag; copies start without.
  TXLSCalcState& CalcState() const { return state_; }

 private:
  std::unique_ptr<TXLSSyntaxItem> tree_;  // never null
  TXLSFormulatArrays arrays_;
  std::unique_ptr<TXLSArrayFormula> arrayFormula_;
  mutable TXLSCalcState state_;
};

class TXLSCalcEvaluator;

class TXLSCalculator {
 public:
  // A cell's value for the evaluator: sheet position (1-based), row and
  // column (0-based) -> status (-1 outside the workbook, else 1 or the
  // status of the cell's own formula), the value (null for no cell), and
  // beyond: the row lies below the sheet's last used row or the column right
  // of its last used column.
  using TCellValueSource =
      std::function<int32_t(int32_t sheet, int32_t row, int32_t column, TVariant& value, bool& beyond)>;
  // The formula of a defined name and the sheet position to evaluate it on
  // (defaultSheet for a name of the workbook); null for an unknown name.
  using TNameSource =
      std::function<const TXLSCompiledFormula*(int32_t nameIdentifier, int32_t defaultSheet, int32_t& sheet)>;

  // externSheets is the workbook's table (not owned, may be null).
  explicit TXLSCalculator(TlxExternSheetSheet* externSheets = nullptr);
  ~TXLSCalculator();
  TXLSCalculator(const TXLSCalculator&) = delete;
  TXLSCalculator& operator=(const TXLSCalculator&) = delete;

  // The workbook replaces its table when it is reset, so the owner hands the
  // current one over before each use.
  void SetExternSheets(TlxExternSheetSheet* externSheets) { formula_.SetExternSheets(externSheets); }
  // File version of the token bytes written: BIFF5 when set.
  void SetBiff5(bool biff5) { formula_.SetBiff5(biff5); }
  bool Biff5() const { return formula_.Biff5(); }
  const TXLSFormula& Formula() const { return formula_; }
  // How relative references are encoded: 'A' as positions, 'B' as offsets
  // (the conditional-format and validation rules, while they are written).
  void SetReferenceMode(char mode) { formula_.SetReferenceMode(mode); }

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

  // Where cell values, defined names and the current generation come from.
  void SetCellValueSource(TCellValueSource source) { cellValue_ = std::move(source); }
  void SetNameSource(TNameSource source) { nameSource_ = std::move(source); }
  void SetGenerationSource(std::function<int32_t()> source) { generationSource_ = std::move(source); }

  // The value of formula for the cell (row, column) on the sheet at position
  // sheet, cached under generation (0: not cached). A numeric zero comes out
  // as the integer 0. Returns the status; value is null unless it is 1.
  [[nodiscard]] int32_t Calculate(const TXLSCompiledFormula& formula, int32_t sheet, int32_t generation, int32_t row,
                                  int32_t column, TVariant& value);
  // As Calculate, but a reference or name at the top gives a range list
  // (TXLSCalcRangeList) instead of a value, and zero is not normalised.
  [[nodiscard]] int32_t CalculateReference(const TXLSCompiledFormula& formula, int32_t sheet, int32_t generation,
                                           int32_t row, int32_t column, TVariant& value);

  // Sheet positions of an external-sheet entry of this workbook: 1, or -1.
  [[nodiscard]] int32_t ResolveSheets(int32_t externSheet, int32_t& firstSheet, int32_t& lastSheet) const;

 private:
  friend class TXLSCalcEvaluator;

  // One formula to evaluate for one cell.
  struct TEntry {
    const TXLSCompiledFormula* formula = nullptr;
    int32_t sheet = 0;
    int32_t generation = 0;
    int32_t row = 0;
    int32_t column = 0;
    bool reference = false;
  };

  int32_t Run(const TEntry& entry, TVariant& value);
  int32_t EvaluateEntry(const TEntry& entry, TVariant& value);
  int32_t CurrentGeneration() const { return generationSource_ ? generationSource_() : 0; }

  TXLSFormula formula_;
  TXLSFormater formater_;
  TCellValueSource cellValue_;
  TNameSource nameSource_;
  std::function<int32_t()> generationSource_;
  std::mt19937_64 random_;
  // Formulas being evaluated through nested calls, and syntax-tree levels
  // being evaluated across all of them.
  int32_t nesting_ = 0;
  int32_t nodeDepth_ = 0;
  // Filled while a deferral unwinds: the formula that was left, and the
  // nested formulas that were waiting for it, innermost first.
  TEntry deferred_;
  bool hasDeferred_ = false;
  std::vector<TEntry> unwound_;
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

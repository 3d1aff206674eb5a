// The formula engine's front half: formula text to syntax tree to token
// bytes, and back.
//
// A formula typed into a cell arrives here as 8-bit text (the leading "="
// already stripped). TXLSLexer cuts it into tokens (TXLSTokens), TXLSSyntax
// builds a tree of TXLSSyntaxItem nodes from them by recursive descent, and
// TXLSFormula::EncodeFormula turns the tree into the BIFF8 or BIFF5 token
// bytes of FORMULA and NAME records. DecodeFormula turns token bytes read
// from a file into the same kind of tree, and FormulaText renders a tree as
// text the parser reads back. The tree is the one form of a formula inside
// the engine; evaluation works on it too.
//
// Sheet names in formulas are not stored: a sheet-qualified reference keeps
// an index into the workbook's external-sheet table (lxExternSheet.h), which
// also answers defined-name lookups. Functions are looked up in THashFunc,
// the table of built-in worksheet functions with their BIFF numbers and
// operand classes, filled once when a TXLSFormula is made.
//
// Everything here takes text and bytes from users and files: no input makes
// it crash, loop or read outside its buffers, and nesting is bounded by
// kMaxFormulaDepth so that deep input fails instead of exhausting the stack.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lxBLOB.h"
#include "lxExternSheet.h"
#include "lxHash.h"
#include "lxVariant.h"

namespace lx {

// Deepest syntax tree (and deepest parser recursion) accepted. Far beyond
// anything a person types, small enough that recursion over a tree stays a
// few hundred kilobytes of stack even in an instrumented build.
inline constexpr int32_t kMaxFormulaDepth = 1000;

// Counts one level of a recursive walk for the lifetime of the call, so
// that the walk can refuse to go deeper than it may.
class TDepthGuard {
 public:
  explicit TDepthGuard(int32_t& depth) : depth_(depth) { ++depth_; }
  ~TDepthGuard() { --depth_; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;
  bool TooDeep() const { return depth_ > kMaxFormulaDepth; }

 private:
  int32_t& depth_;
};

// Token kinds of the lexer.
inline constexpr int32_t kTokenIdentifier = 1;
inline constexpr int32_t kTokenNumber = 2;
inline constexpr int32_t kTokenString = 3;
inline constexpr int32_t kTokenOpen = 4;
inline constexpr int32_t kTokenClose = 5;
inline constexpr int32_t kTokenSeparator = 6;
inline constexpr int32_t kTokenPlus = 7;
inline constexpr int32_t kTokenMinus = 8;
inline constexpr int32_t kTokenMultiply = 9;
inline constexpr int32_t kTokenDivide = 10;
inline constexpr int32_t kTokenReference = 11;
inline constexpr int32_t kTokenConcat = 12;
inline constexpr int32_t kTokenEqual = 13;
inline constexpr int32_t kTokenNotEqual = 14;
inline constexpr int32_t kTokenGreater = 15;
inline constexpr int32_t kTokenLess = 16;
inline constexpr int32_t kTokenGreaterEqual = 17;
inline constexpr int32_t kTokenLessEqual = 18;
inline constexpr int32_t kTokenPower = 19;
inline constexpr int32_t kTokenPercent = 20;
inline constexpr int32_t kTokenSheetReference = 21;

// Node kinds of the syntax tree.
inline constexpr int32_t kNodeReference = 1;
inline constexpr int32_t kNodeNumber = 2;
inline constexpr int32_t kNodeString = 3;
inline constexpr int32_t kNodeParentheses = 5;
inline constexpr int32_t kNodeBoolean = 6;
inline constexpr int32_t kNodeArray = 7;
inline constexpr int32_t kNodeUnaryMinus = 1000;
inline constexpr int32_t kNodeUnaryPlus = 1001;
inline constexpr int32_t kNodeMultiply = 1002;
inline constexpr int32_t kNodeDivide = 1003;
inline constexpr int32_t kNodeAdd = 1004;
inline constexpr int32_t kNodeSubtract = 1005;
inline constexpr int32_t kNodeConcat = 1006;
inline constexpr int32_t kNodeEqual = 1007;
inline constexpr int32_t kNodeNotEqual = 1008;
inline constexpr int32_t kNodeGreater = 1009;
inline constexpr int32_t kNodeLess = 1010;
inline constexpr int32_t kNodeGreaterEqual = 1011;
inline constexpr int32_t kNodeLessEqual = 1012;
inline constexpr int32_t kNodePower = 1013;
inline constexpr int32_t kNodePercent = 1014;
inline constexpr int32_t kNodeUnion = 1015;
inline constexpr int32_t kNodeFunction = 2000;
inline constexpr int32_t kNodeRefSubexpression = 2001;
inline constexpr int32_t kNodeName = 2002;

// Forms of a reference; a deleted reference (shown as #REF!) is its live
// form plus kRefDeleted.
inline constexpr int32_t kRefCell = 1;
inline constexpr int32_t kRefCell3D = 2;
inline constexpr int32_t kRefArea = 3;
inline constexpr int32_t kRefArea3D = 4;
inline constexpr int32_t kRefDeleted = 4;

// Lowest BIFF version number of the BIFF8 token layout.
inline constexpr int32_t kBiff8Version = 0x0600;

// Operand classes of formula tokens; class × 32 is added to a token's base.
inline constexpr int32_t kClassReference = 0;
inline constexpr int32_t kClassValue = 1;
inline constexpr int32_t kClassArray = 2;

// Base token bytes (operand class 0) of the BIFF formula token stream.
inline constexpr uint8_t kPtgExp = 0x01;
inline constexpr uint8_t kPtgAdd = 0x03;
inline constexpr uint8_t kPtgSub = 0x04;
inline constexpr uint8_t kPtgMul = 0x05;
inline constexpr uint8_t kPtgDiv = 0x06;
inline constexpr uint8_t kPtgPower = 0x07;
inline constexpr uint8_t kPtgConcat = 0x08;
inline constexpr uint8_t kPtgLT = 0x09;
inline constexpr uint8_t kPtgLE = 0x0A;
inline constexpr uint8_t kPtgEQ = 0x0B;
inline constexpr uint8_t kPtgGE = 0x0C;
inline constexpr uint8_t kPtgGT = 0x0D;
inline constexpr uint8_t kPtgNE = 0x0E;
inline constexpr uint8_t kPtgUnion = 0x10;
inline constexpr uint8_t kPtgUplus = 0x12;
inline constexpr uint8_t kPtgUminus = 0x13;
inline constexpr uint8_t kPtgPercent = 0x14;
inline constexpr uint8_t kPtgParen = 0x15;
inline constexpr uint8_t kPtgStr = 0x17;
inline constexpr uint8_t kPtgAttr = 0x19;
inline constexpr uint8_t kPtgBool = 0x1D;
inline constexpr uint8_t kPtgInt = 0x1E;
inline constexpr uint8_t kPtgNum = 0x1F;
inline constexpr uint8_t kPtgArray = 0x20;
inline constexpr uint8_t kPtgFunc = 0x21;
inline constexpr uint8_t kPtgFuncVar = 0x22;
inline constexpr uint8_t kPtgName = 0x23;
inline constexpr uint8_t kPtgRef = 0x24;
inline constexpr uint8_t kPtgArea = 0x25;
inline constexpr uint8_t kPtgMemFunc = 0x29;
inline constexpr uint8_t kPtgRefErr = 0x2A;
inline constexpr uint8_t kPtgAreaErr = 0x2B;
inline constexpr uint8_t kPtgRefN = 0x2C;
inline constexpr uint8_t kPtgAreaN = 0x2D;
inline constexpr uint8_t kPtgNameX = 0x39;
inline constexpr uint8_t kPtgRef3d = 0x3A;
inline constexpr uint8_t kPtgArea3d = 0x3B;
inline constexpr uint8_t kPtgRefErr3d = 0x3C;
inline constexpr uint8_t kPtgAreaErr3d = 0x3D;

// Last row and column of a sheet (0-based) as whole-row and whole-column
// areas span them.
inline constexpr int32_t kFormulaLastRow = 65535;
inline constexpr int32_t kFormulaLastColumn = 255;

struct TXLSToken {
  int32_t kind = 0;
  std::string text;
};

// The lexer's output with a cursor over it. Tokens sit in one vector (not a
// linked chain), so a long formula is freed without recursion.
class TXLSTokens {
 public:
  void Add(int32_t kind, std::string text) { items_.push_back({kind, std::move(text)}); }
  void Clear() {
    items_.clear();
    cursor_ = 0;
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }

  void First() { cursor_ = 0; }
  void Next() {
    if (cursor_ < items_.size()) ++cursor_;
  }
  void Prior() {
    if (cursor_ > 0) --cursor_;
  }
  // True once the cursor has moved past the last token (or there is none).
  bool AtEnd() const { return cursor_ >= items_.size(); }
  // Kind of the current token, or of the one ahead places after it; -1 when
  // there is none.
  int32_t Kind(int32_t ahead = 0) const;
  // Text of the current token; empty when there is none.
  const std::string& Text() const;
  const TXLSToken& Item(int32_t index) const { return items_[static_cast<size_t>(index)]; }

 private:
  std::vector<TXLSToken> items_;
  size_t cursor_ = 0;
};

// Cuts formula text into tokens. Made afresh for every formula.
class TXLSLexer {
 public:
  void SetText(std::string_view text);
  // Scans the whole text: 1, or -1 on a character that starts no token or an
  // unterminated string or quoted sheet name.
  [[nodiscard]] int32_t Tokenize();
  TXLSTokens& Tokens() { return tokens_; }

 private:
  std::string text_;
  int32_t position_ = 1;  // 1-based
  int32_t length_ = 0;
  char decimalSeparator_ = '.';
  TXLSTokens tokens_;
};

// The reference part of a reference node (and of a name node that names a
// sheet). Rows and columns are 0-based; an absolute flag is 1 where the text
// has "$". In relative form (only from token bytes that store offsets) the
// relative coordinates are offsets from the formula's cell and may be
// negative.
struct TXLSRangeItem {
  int32_t firstRow = 0;
  uint8_t firstRowAbsolute = 0;
  int32_t lastRow = 0;
  uint8_t lastRowAbsolute = 0;
  int32_t firstColumn = 0;
  uint8_t firstColumnAbsolute = 0;
  int32_t lastColumn = 0;
  uint8_t lastColumnAbsolute = 0;
  int32_t form = kRefCell;
  // Entry of the external-sheet table; 0 for the formula's own sheet.
  int32_t externSheet = 0;
  bool relativeForm = false;

  bool IsArea() const {
    return form == kRefArea || form == kRefArea3D || form == kRefArea + kRefDeleted || form == kRefArea3D + kRefDeleted;
  }
  bool IsDeleted() const { return form > kRefArea3D; }
  bool Is3D() const {
    return form == kRefCell3D || form == kRefArea3D || form == kRefCell3D + kRefDeleted ||
           form == kRefArea3D + kRefDeleted;
  }
};

// One node of a syntax tree; owns its children and its reference part.
class TXLSSyntaxItem {
 public:
  explicit TXLSSyntaxItem(int32_t kind = 0) : kind_(kind) {}
  // Frees the subtree without recursion.
  ~TXLSSyntaxItem();
  TXLSSyntaxItem(const TXLSSyntaxItem&) = delete;
  TXLSSyntaxItem& operator=(const TXLSSyntaxItem&) = delete;

  int32_t Kind() const { return kind_; }
  void SetKind(int32_t kind) { kind_ = kind; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }
  double Number() const { return number_; }
  void SetNumber(double number) { number_ = number; }
  // Function index, 1/0 of a boolean, defined-name identifier, or the ptg
  // byte a decoded reference came from.
  int32_t Value() const { return value_; }
  void SetValue(int32_t value) { value_ = value; }

  int32_t ChildCount() const { return static_cast<int32_t>(children_.size()); }
  const TXLSSyntaxItem* Child(int32_t index) const { return children_[static_cast<size_t>(index)].get(); }
  TXLSSyntaxItem* Child(int32_t index) { return children_[static_cast<size_t>(index)].get(); }
  // Appends an operand; a tree is built bottom up, so the node's height is
  // known as soon as its last child is added.
  void AddChild(std::unique_ptr<TXLSSyntaxItem> child);
  // Non-owning link to the node that owns this one; null at the root.
  const TXLSSyntaxItem* Parent() const { return parent_; }
  // Levels of nodes from this one down to its deepest leaf (1 for a leaf).
  int32_t Height() const { return height_; }

  const TXLSRangeItem* Range() const { return range_.get(); }
  TXLSRangeItem* Range() { return range_.get(); }
  void SetRange(std::unique_ptr<TXLSRangeItem> range) { range_ = std::move(range); }

  // Deep copy in which relative references move by the offsets, as when the
  // formula's cell is copied rowOffset rows down and columnOffset columns
  // right. Nothing is clamped: a reference moved off the sheet is written as
  // a deleted reference later.
  std::unique_ptr<TXLSSyntaxItem> CopyWithOffset(int32_t rowOffset, int32_t columnOffset) const;

 private:
  int32_t kind_;
  std::string text_;
  double number_ = 0;
  int32_t value_ = 0;
  int32_t height_ = 1;
  std::vector<std::unique_ptr<TXLSSyntaxItem>> children_;
  TXLSSyntaxItem* parent_ = nullptr;
  std::unique_ptr<TXLSRangeItem> range_;
};

// Array constants. A formula read from a file may hold constant arrays
// ({1,2;3,4}); its tArray tokens carry no data, which follows the tokens as
// one block per constant, in the order of the tokens.
inline constexpr int32_t kArrayItemEmpty = 0;
inline constexpr int32_t kArrayItemNumber = 1;
inline constexpr int32_t kArrayItemString = 2;
inline constexpr int32_t kArrayItemBoolean = 4;
inline constexpr int32_t kArrayItemError = 16;

// One element: its type code and its value (a double, a UTF-16 text, a
// boolean, an error code as an error variant, or empty).
struct TXLSFormulatArrayItem {
  int32_t type = kArrayItemEmpty;
  TVariant value;
};

// One constant: at least one row and one column, the elements row by row.
struct TXLSFormulatArray {
  int32_t rows = 1;
  int32_t columns = 1;
  std::vector<TXLSFormulatArrayItem> items;
};

// The constants of one formula, in the order of its tArray tokens.
using TXLSFormulatArrays = std::vector<TXLSFormulatArray>;

// Appends the data of arrays after a formula's tokens in the BIFF8 or BIFF5
// layout: 1, or -1 (out unchanged) when a constant cannot be written (an
// element count that does not match its size, more rows or columns than the
// fields hold, a text longer than its length field).
[[nodiscard]] int32_t EncodeArrayConstants(const TXLSFormulatArrays& arrays, bool biff5, TXLSBlob& out);
// Reads constants from [data, data + size) until the data ends: 1, or -1
// (arrays emptied) when the data is malformed or cut short. Nothing is
// allocated beyond what the data can hold.
[[nodiscard]] int32_t DecodeArrayConstants(const uint8_t* data, uint32_t size, bool biff8, TXLSFormulatArrays& arrays);

// Functions numbered from here on (GETPIVOTDATA, HYPERLINK, PHONETIC and
// AVERAGEA to VARA) came with BIFF8: a BIFF5 reader does not know them, so
// the BIFF5 encoder refuses them.
inline constexpr int32_t kFirstBiff8Function = 358;

// One built-in worksheet function.
struct THashFuncEntry {
  std::string name;  // upper case
  int32_t index = 0;
  // Fixed number of arguments, or -1 for a variable count.
  int32_t argumentCount = 0;
  int32_t resultClass = kClassValue;
  int32_t defaultClass = kClassValue;
  // One class digit per leading argument position; later positions take
  // defaultClass.
  std::string argumentClasses;

  // Class of argument position (0-based).
  int32_t ArgumentClass(int32_t position) const;
};

// The function table: by upper-case name, and by function index.
class THashFunc {
 public:
  void Add(THashFuncEntry entry);
  // name must be upper case.
  const THashFuncEntry* Find(std::string_view name) const;
  const THashFuncEntry* FindIndex(int32_t index) const;
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

 private:
  static std::u16string AsciiKey(std::string_view name);

  std::vector<THashFuncEntry> entries_;
  THashTable<int32_t> byName_;   // name -> place in entries_
  THashTable<int32_t> byIndex_;  // decimal function index -> place in entries_
};

// Recursive-descent parser over a token list.
class TXLSSyntax {
 public:
  // externSheets may be null: then sheet references and names do not
  // resolve. Neither table is owned.
  TXLSSyntax(const THashFunc& functions, TlxExternSheetSheet* externSheets)
      : functions_(functions), externSheets_(externSheets) {}

  void SetTokens(TXLSTokens* tokens) { tokens_ = tokens; }
  // Builds the tree of the whole token list for a formula on the sheet with
  // identifier currentSheet: 1, or -1 (and no tree) when the tokens are not
  // a formula.
  [[nodiscard]] int32_t Parse(int32_t currentSheet);
  // Hands the tree over; the parser keeps none.
  std::unique_ptr<TXLSSyntaxItem> TakeTree() { return std::move(tree_); }

 private:
  std::unique_ptr<TXLSSyntaxItem> ParseComparison();
  std::unique_ptr<TXLSSyntaxItem> ParseAdditive();
  std::unique_ptr<TXLSSyntaxItem> ParseMultiplicative();
  std::unique_ptr<TXLSSyntaxItem> ParsePower();
  std::unique_ptr<TXLSSyntaxItem> ParsePercent();
  std::unique_ptr<TXLSSyntaxItem> ParseUnary();
  std::unique_ptr<TXLSSyntaxItem> ParsePrimary();
  std::unique_ptr<TXLSSyntaxItem> ParseFunction();
  std::unique_ptr<TXLSSyntaxItem> ResolveReference(const std::string& text);
  // Combines two operands under a binary operator node; null when the result
  // would be deeper than allowed.
  static std::unique_ptr<TXLSSyntaxItem> Binary(int32_t kind, std::string lexeme, std::unique_ptr<TXLSSyntaxItem> left,
                                                std::unique_ptr<TXLSSyntaxItem> right);
  // External-sheet entry of "First" or "First:Last"; <= 0 when not sheets.
  int32_t ResolveSheets(std::string_view sheetPart, bool allowRange);

  const THashFunc& functions_;
  TlxExternSheetSheet* externSheets_;
  TXLSTokens* tokens_ = nullptr;
  std::unique_ptr<TXLSSyntaxItem> tree_;
  int32_t currentSheet_ = 0;
  int32_t depth_ = 0;
};

// Parses a cell address or an area of the kind a formula holds (A1, $B$2,
// A1:C3, 1:3, A:C) into range; the form becomes kRefCell or kRefArea. False
// when text is no such reference or lies outside the typed limits (rows
// 1..65535, columns A..IU).
bool ParseFormulaArea(std::string_view text, TXLSRangeItem& range);

class TXLSFormula {
 public:
  // externSheets is the workbook's table (not owned; may be null).
  explicit TXLSFormula(TlxExternSheetSheet* externSheets = nullptr);

  void SetExternSheets(TlxExternSheetSheet* externSheets) { externSheets_ = externSheets; }
  TlxExternSheetSheet* ExternSheets() const { return externSheets_; }
  const THashFunc& Functions() const { return functions_; }

  // The tree of formula text (without its "="), or null when the text is not
  // a formula this engine accepts.
  std::unique_ptr<TXLSSyntaxItem> ParseFormula(std::string_view text, int32_t currentSheet) const;

  // File version the encoder writes: BIFF5 when set, BIFF8 otherwise.
  bool Biff5() const { return biff5_; }
  void SetBiff5(bool biff5) { biff5_ = biff5; }
  // 'A': references are sheet positions; 'B': relative references are
  // written as offsets (the conditional-format and validation rules).
  char ReferenceMode() const { return referenceMode_; }
  void SetReferenceMode(char mode) { referenceMode_ = mode == 'B' ? 'B' : 'A'; }

  // Token bytes of tree for a formula whose root is asked for in topClass
  // and whose cell is (baseRow, baseColumn): out becomes the 16-bit token
  // length followed by the tokens. 1, or -1 (out emptied) for an unknown
  // function (in BIFF5 also one BIFF8 added), a wrong argument count, an
  // unresolvable sheet, a node that has no token, or a formula longer than
  // the length field holds. out's buffer is reused when it is large enough.
  [[nodiscard]] int32_t EncodeFormula(const TXLSSyntaxItem& tree, int32_t topClass, int32_t baseRow, int32_t baseColumn,
                                      TXLSBlob& out) const;

  // The tree of token bytes read from a file: the tokens start at offset in
  // buffer, preceded by their 16-bit length when length is negative. version
  // is the BIFF version number (0x0600 and above: BIFF8). On success offset
  // moves past the tokens; null (offset unchanged) when the bytes run past
  // the buffer or hold a token this engine does not take, a function number
  // not in the table, too few operands or more than one result.
  std::unique_ptr<TXLSSyntaxItem> DecodeFormula(const TXLSBlob& buffer, uint32_t& offset, int32_t version,
                                                int32_t length = -1) const;

  // Formula text of tree (without "=") for the cell (baseRow, baseColumn),
  // as the parser reads it back: 1, or -1 (text emptied) for a node with no
  // text form, an unknown function number or a sheet that no longer
  // resolves.
  [[nodiscard]] int32_t FormulaText(const TXLSSyntaxItem& tree, int32_t baseRow, int32_t baseColumn,
                                    std::string& text) const;

 private:
  void RegisterFunctions();

  THashFunc functions_;
  TlxExternSheetSheet* externSheets_;
  bool biff5_ = false;
  char referenceMode_ = 'A';
};

}  // namespace lx

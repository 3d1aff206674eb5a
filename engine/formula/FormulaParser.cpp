// The formula parser: recursive descent over the lexer's tokens, and the
// resolution of reference texts into cells, areas, sheets and names.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = Upper(c);
  return upper;
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != Upper(lower[i])) return false;
  }
  return true;
}

// A decimal row number: digits only, at most five of them.
bool ParseRowNumber(std::string_view text, int32_t& row) {
  if (text.empty() || text.size() > 5) return false;
  row = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    row = row * 10 + (c - '0');
  }
  return true;
}

enum class TAddressShape { Full, RowOnly, ColumnOnly };

struct TAddress {
  TAddressShape shape = TAddressShape::Full;
  int32_t row = 0;
  int32_t column = 0;
  uint8_t rowAbsolute = 0;
  uint8_t columnAbsolute = 0;
};

// One address of a reference (A1, $A$1, A, $A, 1, $1), upper-cased first.
bool ParseAddress(std::string_view text, TAddress& address) {
  const std::string upper = UpperCase(text);
  size_t i = 0;
  bool dollar = false;
  if (i < upper.size() && upper[i] == '$') {
    dollar = true;
    ++i;
  }
  if (i < upper.size() && upper[i] >= '0' && upper[i] <= '9') {
    address.shape = TAddressShape::RowOnly;
    address.rowAbsolute = dollar ? 1 : 0;
    address.column = 0;
    address.columnAbsolute = 1;
    int32_t row;
    if (!ParseRowNumber(std::string_view(upper).substr(i), row) || row < 1 || row > kFormulaLastRow) return false;
    address.row = row - 1;
    return true;
  }
  address.columnAbsolute = dollar ? 1 : 0;
  if (i >= upper.size() || upper[i] < 'A' || upper[i] > 'Z') return false;
  int32_t column = upper[i++] - 'A' + 1;
  if (i < upper.size() && upper[i] >= 'A' && upper[i] <= 'Z') column = column * 26 + (upper[i++] - 'A' + 1);
  bool rowDollar = false;
  if (i < upper.size() && upper[i] == '$') {
    rowDollar = true;
    ++i;
  }
  if (column < 1 || column > kFormulaLastColumn) return false;
  address.column = column - 1;
  if (i == upper.size()) {
    if (rowDollar) return false;
    address.shape = TAddressShape::ColumnOnly;
    address.row = 0;
    address.rowAbsolute = 1;
    return true;
  }
  address.rowAbsolute = rowDollar ? 1 : 0;
  int32_t row;
  if (!ParseRowNumber(std::string_view(upper).substr(i), row) || row < 1 || row > kFormulaLastRow) return false;
  address.shape = TAddressShape::Full;
  address.row = row - 1;
  return true;
}

}  // namespace

bool ParseFormulaArea(std::string_view text, TXLSRangeItem& range) {
  const size_t colon = text.find(':');
  TAddress first;
  if (colon == std::string_view::npos) {
    if (!ParseAddress(text, first) || first.shape != TAddressShape::Full) return false;
    range.form = kRefCell;
    range.firstRow = range.lastRow = first.row;
    range.firstRowAbsolute = range.lastRowAbsolute = first.rowAbsolute;
    range.firstColumn = range.lastColumn = first.column;
    range.firstColumnAbsolute = range.lastColumnAbsolute = first.columnAbsolute;
    return true;
  }
  TAddress last;
  if (!ParseAddress(text.substr(0, colon), first) || !ParseAddress(text.substr(colon + 1), last) ||
      first.shape != last.shape) {
    return false;
  }
  range.form = kRefArea;
  range.firstRow = first.row;
  range.firstRowAbsolute = first.rowAbsolute;
  range.lastRow = last.row;
  range.lastRowAbsolute = last.rowAbsolute;
  range.firstColumn = first.column;
  range.firstColumnAbsolute = first.columnAbsolute;
  range.lastColumn = last.column;
  range.lastColumnAbsolute = last.columnAbsolute;
  if (first.shape == TAddressShape::RowOnly) {
    range.firstColumn = 0;
    range.lastColumn = kFormulaLastColumn;
  } else if (first.shape == TAddressShape::ColumnOnly) {
    range.firstRow = 0;
    range.lastRow = kFormulaLastRow;
  }
  return true;
}

int32_t TXLSSyntax::Parse(int32_t currentSheet) {
  tree_.reset();
  if (tokens_ == nullptr) return kResultFail;
  currentSheet_ = currentSheet;
  depth_ = 0;
  tokens_->First();
  auto tree = ParseComparison();
  if (!tree || !tokens_->AtEnd() || tree->Height() > kMaxFormulaDepth) return kResultFail;
  tree_ = std::move(tree);
  return kResultOk;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::Binary(int32_t kind, std::string lexeme,
                                                   std::unique_ptr<TXLSSyntaxItem> left,
                                                   std::unique_ptr<TXLSSyntaxItem> right) {
  // A long chain such as 1+1+...+1 grows the tree without nesting the
  // parser, so the height is checked here as well.
  if (!left || !right || std::max(left->Height(), right->Height()) >= kMaxFormulaDepth) return nullptr;
  auto node = std::make_unique<TXLSSyntaxItem>(kind);
  node->SetText(std::move(lexeme));
  node->AddChild(std::move(left));
  node->AddChild(std::move(right));
  return node;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParseComparison() {
  TDepthGuard guard(depth_);
  if (guard.TooDeep()) return nullptr;
  auto left = ParseAdditive();
  if (!left) return nullptr;
  int32_t kind;
  switch (tokens_->Kind()) {
    case kTokenEqual:
      kind = kNodeEqual;
      break;
    case kTokenNotEqual:
      kind = kNodeNotEqual;
      break;
    case kTokenGreater:
      kind = kNodeGreater;
      break;
    case kTokenLess:
      kind = kNodeLess;
      break;
    case kTokenGreaterEqual:
      kind = kNodeGreaterEqual;
      break;
    case kTokenLessEqual:
      kind = kNodeLessEqual;
      break;
    default:
      return left;
  }
  std::string lexeme = tokens_->Text();
  tokens_->Next();
  // The right operand is a whole comparison: 1<2=TRUE is 1<(2=TRUE).
  return Binary(kind, std::move(lexeme), std::move(left), ParseComparison());
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParseAdditive() {
  auto left = ParseMultiplicative();
  while (left) {
    int32_t kind;
    switch (tokens_->Kind()) {
      case kTokenPlus:
        kind = kNodeAdd;
        break;
      case kTokenMinus:
        kind = kNodeSubtract;
        break;
      case kTokenConcat:
        kind = kNodeConcat;
        break;
      default:
        return left;
    }
    std::string lexeme = tokens_->Text();
    tokens_->Next();
    left = Binary(kind, std::move(lexeme), std::move(left), ParseMultiplicative());
  }
  return left;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParseMultiplicative() {
  auto left = ParsePower();
  while (left) {
    int32_t kind;
    switch (tokens_->Kind()) {
      case kTokenMultiply:
        kind = kNodeMultiply;
        break;
      case kTokenDivide:
        kind = kNodeDivide;
        break;
      default:
        return left;
    }
    std::string lexeme = tokens_->Text();
    tokens_->Next();
    left = Binary(kind, std::move(lexeme), std::move(left), ParsePower());
  }
  return left;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParsePower() {
  auto left = ParsePercent();
  while (left && tokens_->Kind() == kTokenPower) {
    std::string lexeme = tokens_->Text();
    tokens_->Next();
    left = Binary(kNodePower, std::move(lexeme), std::move(left), ParsePercent());
  }
  return left;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParsePercent() {
  auto operand = ParseUnary();
  while (operand && tokens_->Kind() == kTokenPercent) {
    if (operand->Height() >= kMaxFormulaDepth) return nullptr;
    auto node = std::make_unique<TXLSSyntaxItem>(kNodePercent);
    node->SetText(tokens_->Text());
    tokens_->Next();
    node->AddChild(std::move(operand));
    operand = std::move(node);
  }
  return operand;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParseUnary() {
  const int32_t kind = tokens_->Kind();
  if (kind != kTokenPlus && kind != kTokenMinus) return ParsePrimary();
  TDepthGuard guard(depth_);
  if (guard.TooDeep()) return nullptr;
  auto node = std::make_unique<TXLSSyntaxItem>(kind == kTokenMinus ? kNodeUnaryMinus : kNodeUnaryPlus);
  node->SetText(tokens_->Text());
  tokens_->Next();
  auto operand = ParseUnary();
  if (!operand) return nullptr;
  node->AddChild(std::move(operand));
  return node;
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParsePrimary() {
  switch (tokens_->Kind()) {
    case kTokenIdentifier:
      if (tokens_->Kind(1) == kTokenOpen) return ParseFunction();
      [[fallthrough]];
    case kTokenReference:
    case kTokenSheetReference: {
      std::string text = tokens_->Text();
      tokens_->Next();
      return ResolveReference(text);
    }
    case kTokenNumber: {
      const std::string& text = tokens_->Text();
      double number = 0;
      const char* end = text.data() + text.size();
      const auto [stop, error] = std::from_chars(text.data(), end, number, std::chars_format::fixed);
      if (error != std::errc() || stop != end) return nullptr;
      auto node = std::make_unique<TXLSSyntaxItem>(kNodeNumber);
      node->SetText(text);
      node->SetNumber(number);
      tokens_->Next();
      return node;
    }
    case kTokenString: {
      // A string token holds at most 255 characters; a longer literal could
      // never be written, so it is not a formula.
      if (AnsiToWide(tokens_->Text()).size() > 255) return nullptr;
      auto node = std::make_unique<TXLSSyntaxItem>(kNodeString);
      node->SetText(tokens_->Text());
      tokens_->Next();
      return node;
    }
    case kTokenOpen: {
      tokens_->Next();
      auto inner = ParseComparison();
      if (!inner || tokens_->Kind() != kTokenClose) return nullptr;
      tokens_->Next();
      auto node = std::make_unique<TXLSSyntaxItem>(kNodeParentheses);
      node->SetText("()");
      node->AddChild(std::move(inner));
      return node;
    }
    case kTokenPlus:
    case kTokenMinus:
      return ParseUnary();
    default:
      return nullptr;
  }
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ParseFunction() {
  auto node = std::make_unique<TXLSSyntaxItem>(kNodeFunction);
  node->SetText(tokens_->Text());
  tokens_->Next();  // name
  tokens_->Next();  // (
  if (tokens_->Kind() != kTokenClose) {
    while (true) {
      auto argument = ParseComparison();
      if (!argument) return nullptr;
      node->AddChild(std::move(argument));
      if (tokens_->Kind() != kTokenSeparator) break;
      tokens_->Next();
    }
  }
  if (tokens_->Kind() != kTokenClose) return nullptr;
  tokens_->Next();
  const THashFuncEntry* entry = functions_.Find(UpperCase(node->Text()));
  if (entry == nullptr) return nullptr;
  node->SetValue(entry->index);
  return node;
}

int32_t TXLSSyntax::ResolveSheets(std::string_view sheetPart, bool allowRange) {
  if (externSheets_ == nullptr) return kResultFail;
  std::string_view first = sheetPart;
  std::string_view last = sheetPart;
  const size_t colon = allowRange ? sheetPart.find(':') : std::string_view::npos;
  if (colon != std::string_view::npos) {
    first = sheetPart.substr(0, colon);
    last = sheetPart.substr(colon + 1);
  }
  return externSheets_->FindOrAddSheetNames(AnsiToWide(first), AnsiToWide(last));
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntax::ResolveReference(const std::string& text) {
  if (EqualsNoCase(text, "true") || EqualsNoCase(text, "false")) {
    auto node = std::make_unique<TXLSSyntaxItem>(kNodeBoolean);
    node->SetText(UpperCase(text));
    node->SetValue(EqualsNoCase(text, "true") ? 1 : 0);
    return node;
  }
  const size_t bang = text.find('!');
  const std::string_view local =
      bang == std::string::npos ? std::string_view(text) : std::string_view(text).substr(bang + 1);
  auto range = std::make_unique<TXLSRangeItem>();
  if (ParseFormulaArea(local, *range)) {
    bool resolved = true;
    if (bang != std::string::npos) {
      const int32_t index = ResolveSheets(std::string_view(text).substr(0, bang), true);
      if (index > 0) {
        range->form = range->form == kRefCell ? kRefCell3D : kRefArea3D;
        range->externSheet = index;
      } else {
        resolved = false;
      }
    }
    if (resolved) {
      auto node = std::make_unique<TXLSSyntaxItem>(kNodeReference);
      node->SetText(text);
      node->SetRange(std::move(range));
      return node;
    }
  }
  // Not a reference: a defined name, scoped to the named sheet or to the
  // formula's own sheet.
  if (externSheets_ == nullptr) return nullptr;
  int32_t index = 0;
  int32_t scope = currentSheet_;
  if (bang != std::string::npos) {
    index = ResolveSheets(std::string_view(text).substr(0, bang), false);
    if (index <= 0) return nullptr;
    scope = externSheets_->FirstSheetIdentifier(index);
  }
  const int32_t name = externSheets_->NameIdentifier(AnsiToWide(local), scope);
  if (name <= 0) return nullptr;
  auto node = std::make_unique<TXLSSyntaxItem>(kNodeName);
  node->SetText(std::string(local));
  node->SetValue(name);
  auto part = std::make_unique<TXLSRangeItem>();
  part->externSheet = index;
  node->SetRange(std::move(part));
  return node;
}

TXLSFormula::TXLSFormula(TlxExternSheetSheet* externSheets) : externSheets_(externSheets) { RegisterFunctions(); }

std::unique_ptr<TXLSSyntaxItem> TXLSFormula::ParseFormula(std::string_view text, int32_t currentSheet) const {
  TXLSLexer lexer;
  lexer.SetText(text);
  if (lexer.Tokenize() != kResultOk) return nullptr;
  TXLSSyntax syntax(functions_, externSheets_);
  syntax.SetTokens(&lexer.Tokens());
  if (syntax.Parse(currentSheet) != kResultOk) return nullptr;
  return syntax.TakeTree();
}

}  // namespace lx

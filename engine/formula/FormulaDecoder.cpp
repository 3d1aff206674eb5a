// The formula decoder: BIFF8 or BIFF5 token bytes back to a syntax tree.
//
// A stack machine over the tokens. The bytes come from files, so every read
// is checked against the end of the token stream, every token that is not
// understood fails the whole formula (no guessing), and no tree grows deeper
// than kMaxFormulaDepth.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

constexpr uint8_t kAttrChoose = 0x04;
constexpr uint8_t kAttrSum = 0x10;
constexpr int32_t kSumFunction = 4;

// Bounded reads over [data, data + size).
class TTokenReader {
 public:
  TTokenReader(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return position_ >= size_; }
  bool Has(uint32_t count) const { return count <= size_ - position_; }
  bool Skip(uint32_t count) {
    if (!Has(count)) return false;
    position_ += count;
    return true;
  }
  bool Byte(uint8_t& value) {
    if (!Has(1)) return false;
    value = data_[position_++];
    return true;
  }
  bool Word(uint16_t& value) {
    if (!Has(2)) return false;
    value = static_cast<uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
    position_ += 2;
    return true;
  }
  bool Double(double& value) {
    if (!Has(8)) return false;
    std::memcpy(&value, data_ + position_, 8);
    position_ += 8;
    return true;
  }
  const uint8_t* Here() const { return data_ + position_; }

 private:
  const uint8_t* data_;
  uint32_t size_;
  uint32_t position_ = 0;
};

class TDecoder {
 public:
  TDecoder(const THashFunc& functions, TlxExternSheetSheet* externSheets, bool biff8)
      : functions_(functions), externSheets_(externSheets), biff8_(biff8) {}

  std::unique_ptr<TXLSSyntaxItem> Decode(const uint8_t* data, uint32_t size, int32_t depth);

 private:
  bool Push(std::unique_ptr<TXLSSyntaxItem> node) {
    if (node->Height() > kMaxFormulaDepth) return false;
    stack_.push_back(std::move(node));
    return true;
  }
  std::unique_ptr<TXLSSyntaxItem> Pop() {
    auto node = std::move(stack_.back());
    stack_.pop_back();
    return node;
  }
  // Wraps the top count operands, in order, under node.
  bool Wrap(std::unique_ptr<TXLSSyntaxItem> node, size_t count) {
    if (stack_.size() < count) return false;
    for (size_t i = stack_.size() - count; i < stack_.size(); ++i) node->AddChild(std::move(stack_[i]));
    stack_.resize(stack_.size() - count);
    return Push(std::move(node));
  }
  void Corner(uint16_t rowWord, uint16_t columnField, bool relativeForm, int32_t& row, uint8_t& rowAbsolute,
              int32_t& column, uint8_t& columnAbsolute) const;
  // A column as stored: a word in BIFF8, a byte in BIFF5.
  bool ColumnField(TTokenReader& reader, uint16_t& value) const;
  bool Reference(TTokenReader& reader, uint8_t ptg, uint8_t base);
  bool Name(TTokenReader& reader, uint8_t base);
  bool Function(TTokenReader& reader, uint8_t base);

  const THashFunc& functions_;
  TlxExternSheetSheet* externSheets_;
  bool biff8_;
  std::vector<std::unique_ptr<TXLSSyntaxItem>> stack_;
};

void TDecoder::Corner(uint16_t rowWord, uint16_t columnField, bool relativeForm, int32_t& row, uint8_t& rowAbsolute,
                      int32_t& column, uint8_t& columnAbsolute) const {
  // BIFF8 keeps the relative flags in the column word, BIFF5 in the row word.
  const uint16_t flags = biff8_ ? columnField : rowWord;
  rowAbsolute = (flags & 0x8000) ? 0 : 1;
  columnAbsolute = (flags & 0x4000) ? 0 : 1;
  row = biff8_ ? rowWord : (rowWord & 0x3FFF);
  column = columnField & 0xFF;
  if (!relativeForm) return;
  // Offsets from the formula's cell are signed.
  if (!rowAbsolute) row = biff8_ ? static_cast<int16_t>(rowWord) : ((row & 0x2000) ? row - 0x4000 : row);
  if (!columnAbsolute) column = static_cast<int8_t>(static_cast<uint8_t>(column));
}

bool TDecoder::ColumnField(TTokenReader& reader, uint16_t& value) const {
  if (biff8_) return reader.Word(value);
  uint8_t byte = 0;
  if (!reader.Byte(byte)) return false;
  value = byte;
  return true;
}

bool TDecoder::Reference(TTokenReader& reader, uint8_t ptg, uint8_t base) {
  const bool threeD = base >= kPtgRef3d;
  const bool area =
      base == kPtgArea || base == kPtgAreaN || base == kPtgAreaErr || base == kPtgArea3d || base == kPtgAreaErr3d;
  const bool deleted = base == kPtgRefErr || base == kPtgAreaErr || base == kPtgRefErr3d || base == kPtgAreaErr3d;
  auto range = std::make_unique<TXLSRangeItem>();
  range->relativeForm = base == kPtgRefN || base == kPtgAreaN;
  range->form = (area ? kRefArea : kRefCell) + (threeD ? 1 : 0) + (deleted ? kRefDeleted : 0);
  if (threeD) {
    if (externSheets_ == nullptr) return false;
    if (biff8_) {
      uint16_t refIndex = 0;
      if (!reader.Word(refIndex)) return false;
      range->externSheet = refIndex + 1;
    } else {
      uint16_t ixals = 0, first = 0, last = 0;
      if (!reader.Word(ixals) || static_cast<int16_t>(ixals) > 0 || !reader.Skip(8) || !reader.Word(first) ||
          !reader.Word(last) || first == 0xFFFF || last == 0xFFFF) {
        return false;
      }
      range->externSheet = externSheets_->FindOrAddSheetPositions(first + 1, last + 1);
      if (range->externSheet <= 0) return false;
    }
  }
  if (deleted) {
    if (!reader.Skip(biff8_ ? (area ? 8 : 4) : (area ? 6 : 3))) return false;
  } else if (area) {
    // Both rows come first, then both columns.
    uint16_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    if (!reader.Word(firstRow) || !reader.Word(lastRow) || !ColumnField(reader, firstColumn) ||
        !ColumnField(reader, lastColumn)) {
      return false;
    }
    Corner(firstRow, firstColumn, range->relativeForm, range->firstRow, range->firstRowAbsolute, range->firstColumn,
           range->firstColumnAbsolute);
    Corner(lastRow, lastColumn, range->relativeForm, range->lastRow, range->lastRowAbsolute, range->lastColumn,
           range->lastColumnAbsolute);
  } else {
    uint16_t row = 0, column = 0;
    if (!reader.Word(row) || !ColumnField(reader, column)) return false;
    Corner(row, column, range->relativeForm, range->firstRow, range->firstRowAbsolute, range->firstColumn,
           range->firstColumnAbsolute);
    range->lastRow = range->firstRow;
    range->lastRowAbsolute = range->firstRowAbsolute;
    range->lastColumn = range->firstColumn;
    range->lastColumnAbsolute = range->firstColumnAbsolute;
  }
  auto node = std::make_unique<TXLSSyntaxItem>(kNodeReference);
  node->SetValue(ptg);
  node->SetRange(std::move(range));
  return Push(std::move(node));
}

bool TDecoder::Name(TTokenReader& reader, uint8_t base) {
  uint16_t nameIndex = 0;
  int32_t externSheet = 0;
  if (base == kPtgName) {
    if (!reader.Word(nameIndex) || !reader.Skip(biff8_ ? 2 : 12)) return false;
  } else if (externSheets_ == nullptr) {
    return false;
  } else if (biff8_) {
    uint16_t refIndex = 0;
    if (!reader.Word(refIndex) || !reader.Word(nameIndex) || !reader.Skip(2)) return false;
    externSheet = refIndex + 1;
    int32_t supBook = 0, first = 0, last = 0;
    if (externSheets_->Resolve(externSheet, supBook, first, last) != kResultOk) return false;
  } else {
    uint16_t ixals = 0;
    if (!reader.Word(ixals) || static_cast<int16_t>(ixals) >= 0 || !reader.Skip(8) || !reader.Word(nameIndex) ||
        !reader.Skip(12)) {
      return false;
    }
    const int32_t sheet = externSheets_->NameSheetIdentifier(nameIndex);
    externSheet = sheet > 0 ? externSheets_->FindOrAddSheetIdentifiers(sheet, sheet) : 0;
    if (externSheet < 0) externSheet = 0;
  }
  auto node = std::make_unique<TXLSSyntaxItem>(kNodeName);
  node->SetValue(nameIndex);
  auto range = std::make_unique<TXLSRangeItem>();
  range->externSheet = externSheet;
  node->SetRange(std::move(range));
  return Push(std::move(node));
}

bool TDecoder::Function(TTokenReader& reader, uint8_t base) {
  uint8_t count = 0;
  if (base == kPtgFuncVar && !reader.Byte(count)) return false;
  uint16_t index = 0;
  if (!reader.Word(index)) return false;
  const THashFuncEntry* entry = functions_.FindIndex(index);
  if (entry == nullptr) return false;
  if (base == kPtgFunc) {
    if (entry->argumentCount < 0) return false;
    count = static_cast<uint8_t>(entry->argumentCount);
  }
  auto node = std::make_unique<TXLSSyntaxItem>(kNodeFunction);
  node->SetText(entry->name);
  node->SetValue(entry->index);
  return Wrap(std::move(node), count);
}

std::unique_ptr<TXLSSyntaxItem> TDecoder::Decode(const uint8_t* data, uint32_t size, int32_t depth) {
  if (depth > kMaxFormulaDepth) return nullptr;
  TTokenReader reader(data, size);
  int32_t arrays = 0;
  while (!reader.AtEnd()) {
    uint8_t ptg = 0;
    (void)reader.Byte(ptg);
    // Operand tokens carry their class in bits 5 and 6; the base token is
    // the same for all three classes.
    const uint8_t base = ptg >= 0x20 ? static_cast<uint8_t>((ptg & 0x1F) | 0x20) : ptg;
    bool ok = true;
    if (ptg >= 0x80) {
      ok = false;
    } else if ((ptg >= kPtgAdd && ptg <= kPtgNE) || ptg == kPtgUnion) {
      static const int32_t kKinds[] = {kNodeAdd,   kNodeSubtract,     kNodeMultiply, kNodeDivide,
                                       kNodePower, kNodeConcat,       kNodeLess,     kNodeLessEqual,
                                       kNodeEqual, kNodeGreaterEqual, kNodeGreater,  kNodeNotEqual};
      static const char* const kLexemes[] = {"+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>"};
      auto node = std::make_unique<TXLSSyntaxItem>(ptg == kPtgUnion ? kNodeUnion : kKinds[ptg - kPtgAdd]);
      node->SetText(ptg == kPtgUnion ? "," : kLexemes[ptg - kPtgAdd]);
      ok = Wrap(std::move(node), 2);
    } else if (ptg >= kPtgUplus && ptg <= kPtgParen) {
      static const int32_t kKinds[] = {kNodeUnaryPlus, kNodeUnaryMinus, kNodePercent, kNodeParentheses};
      static const char* const kLexemes[] = {"+", "-", "%", "()"};
      auto node = std::make_unique<TXLSSyntaxItem>(kKinds[ptg - kPtgUplus]);
      node->SetText(kLexemes[ptg - kPtgUplus]);
      ok = Wrap(std::move(node), 1);
    } else if (ptg == kPtgStr) {
      uint8_t count = 0;
      uint8_t options = 0;
      ok = reader.Byte(count) && (!biff8_ || reader.Byte(options));
      const uint32_t bytes = (options & 0x01) ? 2u * count : count;
      ok = ok && reader.Has(bytes);
      if (ok) {
        std::u16string wide;
        const uint8_t* chars = reader.Here();
        for (uint32_t i = 0; i < count; ++i) {
          wide.push_back((options & 0x01) ? static_cast<char16_t>(chars[2 * i] | (chars[2 * i + 1] << 8))
                                          : static_cast<char16_t>(chars[i]));
        }
        (void)reader.Skip(bytes);
        auto node = std::make_unique<TXLSSyntaxItem>(kNodeString);
        // BIFF5 characters are already 8-bit text in the system code page.
        node->SetText(biff8_ ? WideToAnsi(wide) : std::string(reinterpret_cast<const char*>(chars), count));
        ok = Push(std::move(node));
      }
    } else if (ptg == kPtgBool) {
      uint8_t value = 0;
      ok = reader.Byte(value);
      if (ok) {
        auto node = std::make_unique<TXLSSyntaxItem>(kNodeBoolean);
        node->SetText(value ? "TRUE" : "FALSE");
        node->SetValue(value ? 1 : 0);
        ok = Push(std::move(node));
      }
    } else if (ptg == kPtgInt || ptg == kPtgNum) {
      double number = 0;
      uint16_t integer = 0;
      ok = ptg == kPtgInt ? reader.Word(integer) : reader.Double(number);
      if (ok) {
        auto node = std::make_unique<TXLSSyntaxItem>(kNodeNumber);
        node->SetNumber(ptg == kPtgInt ? integer : number);
        ok = Push(std::move(node));
      }
    } else if (ptg == kPtgAttr) {
      uint8_t attribute = 0;
      uint16_t data16 = 0;
      ok = reader.Byte(attribute) && reader.Word(data16);
      if (ok && (attribute & kAttrChoose)) ok = reader.Skip(2u * (data16 + 1u));
      if (ok && (attribute & kAttrSum)) {
        auto node = std::make_unique<TXLSSyntaxItem>(kNodeFunction);
        node->SetText("SUM");
        node->SetValue(kSumFunction);
        ok = Wrap(std::move(node), 1);
      }
    } else if (base == kPtgArray) {
      ok = reader.Skip(7);
      if (ok) {
        auto node = std::make_unique<TXLSSyntaxItem>(kNodeArray);
        node->SetValue(++arrays);
        ok = Push(std::move(node));
      }
    } else if (base == kPtgFunc || base == kPtgFuncVar) {
      ok = Function(reader, base);
    } else if (base == kPtgName || base == kPtgNameX) {
      ok = Name(reader, base);
    } else if (base == kPtgRef || base == kPtgArea || base == kPtgRefN || base == kPtgAreaN || base == kPtgRefErr ||
               base == kPtgAreaErr || (base >= kPtgRef3d && base <= kPtgAreaErr3d)) {
      ok = Reference(reader, ptg, base);
    } else if (base == kPtgMemFunc) {
      uint16_t length = 0;
      ok = reader.Word(length) && reader.Has(length);
      if (ok) {
        TDecoder inner(functions_, externSheets_, biff8_);
        auto contents = inner.Decode(reader.Here(), length, depth + 1);
        (void)reader.Skip(length);
        ok = contents != nullptr;
        if (ok) {
          auto node = std::make_unique<TXLSSyntaxItem>(kNodeRefSubexpression);
          node->AddChild(std::move(contents));
          ok = Push(std::move(node));
        }
      }
    } else {
      ok = false;  // tExp, tTbl, tMissArg, tErr, memory areas, ...
    }
    if (!ok) return nullptr;
  }
  if (stack_.size() != 1) return nullptr;
  return Pop();
}

}  // namespace

std::unique_ptr<TXLSSyntaxItem> TXLSFormula::DecodeFormula(const TXLSBlob& buffer, uint32_t& offset, int32_t version,
                                                           int32_t length) const {
  uint32_t at = offset;
  uint32_t size;
  if (length < 0) {
    if (at > buffer.Length() || buffer.Length() - at < 2) return nullptr;
    size = buffer.GetWord(at);
    at += 2;
  } else {
    size = static_cast<uint32_t>(length);
  }
  if (at > buffer.Length() || size > buffer.Length() - at) return nullptr;
  TDecoder decoder(functions_, externSheets_, version >= kBiff8Version);
  auto tree = decoder.Decode(buffer.Data() + at, size, 1);
  if (tree) offset = at + size;
  return tree;
}

}  // namespace lx

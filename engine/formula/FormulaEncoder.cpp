// The formula encoder: syntax tree to BIFF8 or BIFF5 token bytes.
//
// Two passes over the tree: the size pass finds the exact byte count and
// every reason to refuse the formula (unknown function, wrong argument
// count, unresolvable sheet), so the emission pass writes into a buffer of
// the right size and cannot fail half-way.
#include <cstdint>
#include <string>
#include <string_view>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

// Rows a BIFF5 sheet has; whole-column areas end at its last row there.
constexpr int32_t kBiff5RowCount = 16384;
constexpr int32_t kBiff8RowCount = 65536;
constexpr int32_t kColumnCount = 256;
constexpr uint16_t kRowRelativeBit = 0x8000;
constexpr uint16_t kColumnRelativeBit = 0x4000;
constexpr uint32_t kMaxTokenBytes = 0xFFFF;
constexpr uint32_t kMaxStringChars = 255;

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

uint8_t BinaryToken(int32_t kind) {
  switch (kind) {
    case kNodeMultiply:
      return kPtgMul;
    case kNodeDivide:
      return kPtgDiv;
    case kNodeAdd:
      return kPtgAdd;
    case kNodeSubtract:
      return kPtgSub;
    case kNodeConcat:
      return kPtgConcat;
    case kNodeEqual:
      return kPtgEQ;
    case kNodeNotEqual:
      return kPtgNE;
    case kNodeGreater:
      return kPtgGT;
    case kNodeLess:
      return kPtgLT;
    case kNodeGreaterEqual:
      return kPtgGE;
    case kNodeLessEqual:
      return kPtgLE;
    case kNodePower:
      return kPtgPower;
    case kNodeUnion:
      return kPtgUnion;
    default:
      return 0;
  }
}

uint8_t UnaryToken(int32_t kind) {
  switch (kind) {
    case kNodeParentheses:
      return kPtgParen;
    case kNodeUnaryMinus:
      return kPtgUminus;
    case kNodeUnaryPlus:
      return kPtgUplus;
    case kNodePercent:
      return kPtgPercent;
    default:
      return 0;
  }
}

uint8_t WithClass(uint8_t base, int32_t operandClass) { return static_cast<uint8_t>(base + operandClass * 32); }

// One corner of a reference as written: the row word and the column field
// (a word in BIFF8, a byte in BIFF5).
struct TCorner {
  uint16_t row = 0;
  uint16_t column = 0;
};

class TEncoder {
 public:
  TEncoder(const THashFunc& functions, const TlxExternSheetSheet* externSheets, bool biff5, char mode, int32_t baseRow,
           int32_t baseColumn)
      : functions_(functions),
        externSheets_(externSheets),
        biff5_(biff5),
        mode_(mode),
        baseRow_(baseRow),
        baseColumn_(baseColumn) {}

  // Bytes the node's tokens take; -1 when the node cannot be written.
  int64_t Size(const TXLSSyntaxItem& node, int32_t depth) const;
  void Emit(const TXLSSyntaxItem& node, int32_t operandClass, TXLSBlob& out) const;

 private:
  // Sheet fields of a 3-D reference or sheet name: BIFF8 REF position,
  // BIFF5 first and last sheet positions. False when the entry does not
  // resolve.
  bool SheetFields(int32_t externSheet, int32_t& refIndex, int32_t& firstSheet, int32_t& lastSheet) const;
  bool EncodeCorner(int32_t row, uint8_t rowAbsolute, int32_t column, uint8_t columnAbsolute, bool relativeForm,
                    TCorner& corner) const;
  int64_t ReferenceSize(const TXLSRangeItem& range) const;
  void EmitReference(const TXLSRangeItem& range, int32_t operandClass, TXLSBlob& out) const;
  void EmitName(const TXLSSyntaxItem& node, int32_t operandClass, TXLSBlob& out) const;
  void EmitCorners(bool area, const TCorner& first, const TCorner& last, TXLSBlob& out) const;

  const THashFunc& functions_;
  const TlxExternSheetSheet* externSheets_;
  bool biff5_;
  char mode_;
  int32_t baseRow_;
  int32_t baseColumn_;
};

bool TEncoder::SheetFields(int32_t externSheet, int32_t& refIndex, int32_t& firstSheet, int32_t& lastSheet) const {
  if (externSheets_ == nullptr || externSheet <= 0) return false;
  if (!biff5_) {
    refIndex = externSheets_->RefIndex(externSheet);
    return refIndex > 0;
  }
  int32_t supBook = 0;
  return externSheets_->Resolve(externSheet, supBook, firstSheet, lastSheet) == kResultOk && firstSheet > 0 &&
         lastSheet >= firstSheet;
}

bool TEncoder::EncodeCorner(int32_t row, uint8_t rowAbsolute, int32_t column, uint8_t columnAbsolute, bool relativeForm,
                            TCorner& corner) const {
  if (relativeForm && mode_ != 'B') {
    if (!rowAbsolute) row += baseRow_;
    if (!columnAbsolute) column += baseColumn_;
  }
  if (mode_ == 'B') {
    const int32_t rowLimit = biff5_ ? kBiff5RowCount / 2 : kBiff8RowCount / 2;
    if (row < -rowLimit || row >= rowLimit || column < -kColumnCount / 2 || column >= kColumnCount / 2) return false;
  } else if (row < 0 || column < 0 || row >= (biff5_ ? kBiff5RowCount : kBiff8RowCount) || column >= kColumnCount) {
    return false;
  }
  const uint16_t flags =
      static_cast<uint16_t>((rowAbsolute ? 0 : kRowRelativeBit) | (columnAbsolute ? 0 : kColumnRelativeBit));
  if (biff5_) {
    corner.row = static_cast<uint16_t>((static_cast<uint32_t>(row) & 0x3FFF) | flags);
    corner.column = static_cast<uint16_t>(static_cast<uint32_t>(column) & 0xFF);
  } else {
    corner.row = static_cast<uint16_t>(static_cast<uint32_t>(row) & 0xFFFF);
    corner.column = static_cast<uint16_t>((static_cast<uint32_t>(column) & 0xFF) | flags);
  }
  return true;
}

int64_t TEncoder::ReferenceSize(const TXLSRangeItem& range) const {
  const bool area = range.IsArea();
  if (range.Is3D()) {
    int32_t refIndex = 0, first = 0, last = 0;
    if (!SheetFields(range.externSheet, refIndex, first, last)) return -1;
    if (biff5_) return area ? 21 : 18;
    return area ? 11 : 7;
  }
  if (biff5_) return area ? 7 : 4;
  return area ? 9 : 5;
}

int64_t TEncoder::Size(const TXLSSyntaxItem& node, int32_t depth) const {
  if (depth > kMaxFormulaDepth) return -1;
  switch (node.Kind()) {
    case kNodeNumber:
      return 9;
    case kNodeString: {
      const size_t chars = biff5_ ? node.Text().size() : AnsiToWide(node.Text()).size();
      if (chars > kMaxStringChars) return -1;
      return biff5_ ? 2 + static_cast<int64_t>(chars) : 3 + 2 * static_cast<int64_t>(chars);
    }
    case kNodeBoolean:
      return 2;
    case kNodeArray:
      return 8;
    case kNodeReference:
      return node.Range() ? ReferenceSize(*node.Range()) : -1;
    case kNodeName: {
      const int32_t externSheet = node.Range() ? node.Range()->externSheet : 0;
      if (externSheet == 0) return biff5_ ? 15 : 5;
      int32_t refIndex = 0, first = 0, last = 0;
      if (!SheetFields(externSheet, refIndex, first, last)) return -1;
      return biff5_ ? 25 : 7;
    }
    case kNodeFunction: {
      const THashFuncEntry* entry = functions_.Find(UpperCase(node.Text()));
      if (entry == nullptr) return -1;
      // A BIFF5 reader does not know the functions BIFF8 added.
      if (biff5_ && entry->index >= kFirstBiff8Function) return -1;
      if (entry->argumentCount >= 0 ? node.ChildCount() != entry->argumentCount : node.ChildCount() > 255) {
        return -1;
      }
      int64_t size = entry->argumentCount >= 0 ? 3 : 4;
      for (int32_t i = 0; i < node.ChildCount(); ++i) {
        const int64_t child = Size(*node.Child(i), depth + 1);
        if (child < 0) return -1;
        size += child;
      }
      return size;
    }
    case kNodeRefSubexpression: {
      if (node.ChildCount() != 1) return -1;
      const int64_t child = Size(*node.Child(0), depth + 1);
      return child < 0 || child > static_cast<int64_t>(kMaxTokenBytes) ? -1 : 3 + child;
    }
    default:
      break;
  }
  const bool unary = UnaryToken(node.Kind()) != 0;
  const bool binary = BinaryToken(node.Kind()) != 0;
  if ((!unary && !binary) || node.ChildCount() != (unary ? 1 : 2)) return -1;
  int64_t size = 1;
  for (int32_t i = 0; i < node.ChildCount(); ++i) {
    const int64_t child = Size(*node.Child(i), depth + 1);
    if (child < 0) return -1;
    size += child;
  }
  return size;
}

void TEncoder::EmitCorners(bool area, const TCorner& first, const TCorner& last, TXLSBlob& out) const {
  out.AddWord(first.row);
  if (area) out.AddWord(last.row);
  if (biff5_) {
    out.AddByte(static_cast<uint8_t>(first.column));
    if (area) out.AddByte(static_cast<uint8_t>(last.column));
  } else {
    out.AddWord(first.column);
    if (area) out.AddWord(last.column);
  }
}

void TEncoder::EmitReference(const TXLSRangeItem& range, int32_t operandClass, TXLSBlob& out) const {
  const bool area = range.IsArea();
  const bool threeD = range.Is3D();
  TCorner first, last;
  bool live = !range.IsDeleted();
  if (live) {
    int32_t lastRow = range.lastRow;
    // A whole-column area means every row of the sheet, and a BIFF5 sheet
    // has fewer rows than the area was parsed with.
    if (biff5_ && area && !range.relativeForm && range.firstRow == 0 && lastRow == kBiff8RowCount - 1) {
      lastRow = kBiff5RowCount - 1;
    }
    live = EncodeCorner(range.firstRow, range.firstRowAbsolute, range.firstColumn, range.firstColumnAbsolute,
                        range.relativeForm, first) &&
           (!area || EncodeCorner(lastRow, range.lastRowAbsolute, range.lastColumn, range.lastColumnAbsolute,
                                  range.relativeForm, last));
  }
  if (!live) first = last = TCorner();
  uint8_t base;
  if (threeD) {
    base = area ? kPtgArea3d : kPtgRef3d;
    if (!live) base = area ? kPtgAreaErr3d : kPtgRefErr3d;
  } else {
    base = area ? kPtgArea : kPtgRef;
    if (!live) {
      base = area ? kPtgAreaErr : kPtgRefErr;
    } else if (range.relativeForm && mode_ == 'B') {
      base = area ? kPtgAreaN : kPtgRefN;
    }
  }
  out.AddByte(WithClass(base, operandClass));
  if (threeD) {
    int32_t refIndex = 0, firstSheet = 0, lastSheet = 0;
    // The size pass made sure the entry resolves.
    (void)SheetFields(range.externSheet, refIndex, firstSheet, lastSheet);
    if (biff5_) {
      out.AddWord(static_cast<uint16_t>(-firstSheet));
      for (int i = 0; i < 8; ++i) out.AddByte(0);
      out.AddWord(static_cast<uint16_t>(firstSheet - 1));
      out.AddWord(static_cast<uint16_t>(lastSheet - 1));
    } else {
      out.AddWord(static_cast<uint16_t>(refIndex - 1));
    }
  }
  EmitCorners(area, first, last, out);
}

void TEncoder::EmitName(const TXLSSyntaxItem& node, int32_t operandClass, TXLSBlob& out) const {
  const int32_t written = externSheets_ ? externSheets_->NameWrittenIndex(node.Value()) : -1;
  const auto nameIndex = static_cast<uint16_t>(written < 0 ? 0 : written);
  const int32_t externSheet = node.Range() ? node.Range()->externSheet : 0;
  if (externSheet == 0) {
    out.AddByte(WithClass(kPtgName, operandClass));
    out.AddWord(nameIndex);
    out.AddWord(0);
    if (biff5_) {
      for (int i = 0; i < 10; ++i) out.AddByte(0);
    }
    return;
  }
  out.AddByte(WithClass(kPtgNameX, operandClass));
  if (biff5_) {
    const int32_t sheets = externSheets_ ? externSheets_->SheetCount() : 0;
    out.AddWord(static_cast<uint16_t>(-(sheets + 1)));
    for (int i = 0; i < 8; ++i) out.AddByte(0);
    out.AddWord(nameIndex);
    for (int i = 0; i < 12; ++i) out.AddByte(0);
    return;
  }
  int32_t refIndex = 0, firstSheet = 0, lastSheet = 0;
  (void)SheetFields(externSheet, refIndex, firstSheet, lastSheet);
  out.AddWord(static_cast<uint16_t>(refIndex - 1));
  out.AddWord(nameIndex);
  out.AddWord(0);
}

void TEncoder::Emit(const TXLSSyntaxItem& node, int32_t operandClass, TXLSBlob& out) const {
  switch (node.Kind()) {
    case kNodeNumber:
      out.AddByte(kPtgNum);
      out.AddDouble(node.Number());
      return;
    case kNodeString:
      out.AddByte(kPtgStr);
      if (biff5_) {
        out.AddByte(static_cast<uint8_t>(node.Text().size()));
        out.AddAnsi(node.Text());
      } else {
        const std::u16string wide = AnsiToWide(node.Text());
        out.AddByte(static_cast<uint8_t>(wide.size()));
        out.AddByte(0x01);
        out.AddWide(wide);
      }
      return;
    case kNodeBoolean:
      out.AddByte(kPtgBool);
      out.AddByte(node.Value() ? 1 : 0);
      return;
    case kNodeArray:
      out.AddByte(WithClass(kPtgArray, operandClass == kClassValue ? kClassValue : kClassArray));
      for (int i = 0; i < 7; ++i) out.AddByte(0);
      return;
    case kNodeReference:
      EmitReference(*node.Range(), operandClass, out);
      return;
    case kNodeName:
      EmitName(node, operandClass, out);
      return;
    case kNodeFunction: {
      const THashFuncEntry& entry = *functions_.Find(UpperCase(node.Text()));
      for (int32_t i = 0; i < node.ChildCount(); ++i) Emit(*node.Child(i), entry.ArgumentClass(i), out);
      // A function whose result is a reference, asked for a value, gives the
      // value; otherwise the token carries the function's own result class.
      const int32_t tokenClass =
          entry.resultClass == kClassReference && operandClass == kClassValue ? kClassValue : entry.resultClass;
      if (entry.argumentCount >= 0) {
        out.AddByte(WithClass(kPtgFunc, tokenClass));
      } else {
        out.AddByte(WithClass(kPtgFuncVar, tokenClass));
        out.AddByte(static_cast<uint8_t>(node.ChildCount()));
      }
      out.AddWord(static_cast<uint16_t>(entry.index));
      return;
    }
    case kNodeRefSubexpression: {
      out.AddByte(kPtgMemFunc);
      const uint32_t lengthAt = out.Length();
      out.AddWord(0);
      Emit(*node.Child(0), kClassReference, out);
      out.PutWord(lengthAt, static_cast<uint16_t>(out.Length() - lengthAt - 2));
      return;
    }
    default:
      break;
  }
  // Operands of operators are always values, whatever the operator was
  // asked for.
  for (int32_t i = 0; i < node.ChildCount(); ++i) Emit(*node.Child(i), kClassValue, out);
  const uint8_t unary = UnaryToken(node.Kind());
  out.AddByte(unary ? unary : BinaryToken(node.Kind()));
}

}  // namespace

int32_t TXLSFormula::EncodeFormula(const TXLSSyntaxItem& tree, int32_t topClass, int32_t baseRow, int32_t baseColumn,
                                   TXLSBlob& out) const {
  out.Clear();
  if (topClass < kClassReference || topClass > kClassArray) return kResultFail;
  const TEncoder encoder(functions_, externSheets_, biff5_, referenceMode_, baseRow, baseColumn);
  const int64_t size = encoder.Size(tree, 1);
  if (size < 0 || size > static_cast<int64_t>(kMaxTokenBytes)) return kResultFail;
  // A caller that encodes formula after formula hands the same buffer back
  // each time; it is only replaced when it is too small.
  const uint32_t total = static_cast<uint32_t>(size) + 2;
  if (out.Capacity() < total) out = TXLSBlob(total);
  out.AddWord(static_cast<uint16_t>(size));
  encoder.Emit(tree, topClass, out);
  // The two passes agree by construction; a mismatch would be a bug here,
  // and a formula of the wrong length must never reach a file.
  if (out.Length() != total) {
    out.Clear();
    return kResultFail;
  }
  return kResultOk;
}

}  // namespace lx

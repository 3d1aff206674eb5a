#include "lxCondFormat.h"

#include <algorithm>

#include "SheetObjectBytes.h"
#include "lxCalculator.h"
#include "lxCellHeap.h"

namespace lx {

namespace {

// CF option bits past the formatting blocks' flags are not needed: the
// blocks are kept as the bytes between the fixed part and the formulas.
constexpr uint32_t kCFFixedSize = 12;
constexpr uint32_t kCondFmtFixedSize = 14;
constexpr uint32_t kAreaSize = 8;

// Whether [first, last] meets the bound pair (negative: unbounded).
bool Meets(int32_t first, int32_t last, int32_t low, int32_t high) {
  return (low < 0 || last >= low) && (high < 0 || first <= high);
}

}  // namespace

TCondRange::TCondRange(int32_t row1, int32_t column1, int32_t row2, int32_t column2)
    : firstRow(std::min(row1, row2)),
      firstColumn(std::min(column1, column2)),
      lastRow(std::max(row1, row2)),
      lastColumn(std::max(column1, column2)) {}

void CutArea(const TCondRange& area, const TXLSAreaBounds& cut, std::vector<TCondRange>& pieces) {
  if (!Meets(area.firstRow, area.lastRow, cut.firstRow, cut.lastRow) ||
      !Meets(area.firstColumn, area.lastColumn, cut.firstColumn, cut.lastColumn)) {
    pieces.push_back(area);
    return;
  }
  // Each piece narrows what remains, so the pieces never overlap; since the
  // two rectangles meet, what remains is never empty.
  TCondRange rest = area;
  if (cut.firstRow >= 0 && rest.firstRow < cut.firstRow) {
    pieces.emplace_back(rest.firstRow, rest.firstColumn, cut.firstRow - 1, rest.lastColumn);
    rest.firstRow = cut.firstRow;
  }
  if (cut.lastColumn >= 0 && cut.lastColumn < rest.lastColumn) {
    pieces.emplace_back(rest.firstRow, cut.lastColumn + 1, rest.lastRow, rest.lastColumn);
    rest.lastColumn = cut.lastColumn;
  }
  if (cut.lastRow >= 0 && cut.lastRow < rest.lastRow) {
    pieces.emplace_back(cut.lastRow + 1, rest.firstColumn, rest.lastRow, rest.lastColumn);
    rest.lastRow = cut.lastRow;
  }
  if (cut.firstColumn >= 0 && rest.firstColumn < cut.firstColumn)
    pieces.emplace_back(rest.firstRow, rest.firstColumn, rest.lastRow, cut.firstColumn - 1);
}

void TCondRangeList::Add(const TCondRange& area) {
  areas_.push_back(area);
  UpdateBounds();
}

void TCondRangeList::UpdateBounds() {
  if (areas_.empty()) return;
  bounds_ = areas_.front();
  for (const TCondRange& a : areas_) {
    bounds_.firstRow = std::min(bounds_.firstRow, a.firstRow);
    bounds_.firstColumn = std::min(bounds_.firstColumn, a.firstColumn);
    bounds_.lastRow = std::max(bounds_.lastRow, a.lastRow);
    bounds_.lastColumn = std::max(bounds_.lastColumn, a.lastColumn);
  }
}

void TCondRangeList::ClearArea(const TXLSAreaBounds& cut) {
  std::vector<TCondRange> pieces;
  for (const TCondRange& a : areas_) CutArea(a, cut, pieces);
  areas_ = std::move(pieces);
  UpdateBounds();
}

void TCondRangeList::ShiftArea(const TXLSAreaBounds& block, int32_t rowOffset, int32_t columnOffset) {
  std::vector<TCondRange> result;
  for (const TCondRange& a : areas_) {
    if (!Meets(a.firstRow, a.lastRow, block.firstRow, block.lastRow) ||
        !Meets(a.firstColumn, a.lastColumn, block.firstColumn, block.lastColumn)) {
      result.push_back(a);
      continue;
    }
    CutArea(a, block, result);
    // The part inside the block moves.
    const int64_t r1 = std::max(a.firstRow, block.firstRow < 0 ? a.firstRow : block.firstRow) + int64_t{rowOffset};
    const int64_t r2 = std::min(a.lastRow, block.lastRow < 0 ? a.lastRow : block.lastRow) + int64_t{rowOffset};
    const int64_t c1 =
        std::max(a.firstColumn, block.firstColumn < 0 ? a.firstColumn : block.firstColumn) + int64_t{columnOffset};
    const int64_t c2 =
        std::min(a.lastColumn, block.lastColumn < 0 ? a.lastColumn : block.lastColumn) + int64_t{columnOffset};
    // Moved past an edge of the sheet: what falls off is gone.
    if (r2 < 0 || c2 < 0 || r1 > kXLSMaxRow || c1 > kXLSMaxColumn) continue;
    result.emplace_back(static_cast<int32_t>(std::max<int64_t>(r1, 0)), static_cast<int32_t>(std::max<int64_t>(c1, 0)),
                        static_cast<int32_t>(std::min<int64_t>(r2, kXLSMaxRow)),
                        static_cast<int32_t>(std::min<int64_t>(c2, kXLSMaxColumn)));
  }
  areas_ = std::move(result);
  UpdateBounds();
}

void TCondRangeList::WriteAreas(TXLSBlob& record) const {
  for (const TCondRange& a : areas_) {
    record.AddWord(static_cast<uint16_t>(a.firstRow));
    record.AddWord(static_cast<uint16_t>(a.lastRow));
    record.AddWord(static_cast<uint16_t>(a.firstColumn));
    record.AddWord(static_cast<uint16_t>(a.lastColumn));
  }
}

void TSheetObjectFormula::Read(std::span<const uint8_t> tokens, const TXLSCalculator& calculator) {
  bytes_.assign(tokens.begin(), tokens.end());
  compiled_.reset();
  if (tokens.empty()) return;
  TXLSBlob buffer(static_cast<uint32_t>(tokens.size()));
  buffer.AddBytes(tokens.data(), static_cast<uint32_t>(tokens.size()));
  compiled_ = calculator.DecodeFormulaBytes(buffer, 0, kBiff8Version, static_cast<int32_t>(tokens.size()));
}

std::vector<uint8_t> TSheetObjectFormula::Tokens(const TXLSCalculator& calculator, int32_t topClass) const {
  if (compiled_) {
    TXLSBlob out;
    // The tokens follow their 16-bit length; constants of array tokens have
    // no place in these records, so such a formula keeps its bytes.
    if (calculator.WriteExpression(*compiled_, topClass, 0, 0, out) == kResultOk && out.Length() >= 2 &&
        out.GetWord(0) == out.Length() - 2u) {
      return std::vector<uint8_t>(out.Data() + 2, out.Data() + out.Length());
    }
  }
  return bytes_;
}

TRelativeReferenceMode::TRelativeReferenceMode(TXLSCalculator& calculator) : calculator_(calculator) {
  calculator_.SetReferenceMode('B');
}

TRelativeReferenceMode::~TRelativeReferenceMode() { calculator_.SetReferenceMode('A'); }

bool TCondFormatRule::Read(std::span<const uint8_t> data, const TXLSCalculator& calculator) {
  if (data.size() < kCFFixedSize) return false;
  const uint32_t size1 = RecordWord(data, 2);
  const uint32_t size2 = RecordWord(data, 4);
  if (size1 + size2 > data.size() - kCFFixedSize) return false;
  conditionType_ = data[0];
  operator_ = data[1];
  options_ = RecordDWord(data, 6);
  // The blocks are what lies between the fixed part and the formulas, so a
  // block this engine does not know (the number format's) survives too.
  const size_t formulas = data.size() - size1 - size2;
  blocks_.assign(data.begin() + kCFFixedSize, data.begin() + static_cast<std::ptrdiff_t>(formulas));
  formula1_.Read(data.subspan(formulas, size1), calculator);
  formula2_.Read(data.subspan(formulas + size1, size2), calculator);
  return true;
}

std::unique_ptr<TXLSBlob> TCondFormatRule::BuildRecord(const TXLSCalculator& calculator) const {
  const std::vector<uint8_t> tokens1 = formula1_.Tokens(calculator, kClassValue);
  const std::vector<uint8_t> tokens2 = formula2_.Tokens(calculator, kClassValue);
  auto record =
      NewRecord(kRecCF, kCFFixedSize + static_cast<uint32_t>(blocks_.size() + tokens1.size() + tokens2.size()));
  record->AddByte(conditionType_);
  record->AddByte(operator_);
  record->AddWord(static_cast<uint16_t>(tokens1.size()));
  record->AddWord(static_cast<uint16_t>(tokens2.size()));
  record->AddDWord(options_);
  record->AddWord(0);
  record->AddBytes(blocks_.data(), static_cast<uint32_t>(blocks_.size()));
  record->AddBytes(tokens1.data(), static_cast<uint32_t>(tokens1.size()));
  record->AddBytes(tokens2.data(), static_cast<uint32_t>(tokens2.size()));
  return record;
}

void TCondFormatter::RemoveEmpty() {
  std::erase_if(formats_, [&](const std::unique_ptr<TCondFormat>& f) {
    if (!f->Areas().Empty()) return false;
    if (reading_ == f.get()) reading_ = nullptr;
    return true;
  });
}

void TCondFormatter::ClearArea(const TXLSAreaBounds& cut) {
  for (auto& f : formats_) f->Areas().ClearArea(cut);
  RemoveEmpty();
}

void TCondFormatter::ShiftArea(const TXLSAreaBounds& block, int32_t rowOffset, int32_t columnOffset) {
  for (auto& f : formats_) f->Areas().ShiftArea(block, rowOffset, columnOffset);
  RemoveEmpty();
}

int32_t TCondFormatter::ReadRecord(uint16_t number, std::span<const uint8_t> data, const TXLSCalculator& calculator) {
  if (number == kRecCondFmt) {
    reading_ = nullptr;
    if (data.size() < kCondFmtFixedSize) return kResultOk;
    const uint32_t count = RecordWord(data, 12);
    if (count > (data.size() - kCondFmtFixedSize) / kAreaSize) return kResultOk;
    auto format = std::make_unique<TCondFormat>();
    format->SetRecalculate((RecordWord(data, 2) & 1) != 0);
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = kCondFmtFixedSize + i * kAreaSize;
      format->Areas().Add(TCondRange(RecordWord(data, at), RecordWord(data, at + 4) & 0xFF, RecordWord(data, at + 2),
                                     RecordWord(data, at + 6) & 0xFF));
    }
    reading_ = format.get();
    formats_.push_back(std::move(format));
  } else if (number == kRecCF && reading_ != nullptr) {
    TCondFormatRule rule;
    if (rule.Read(data, calculator)) reading_->AddRule(std::move(rule));
  }
  return kResultOk;
}

int32_t TCondFormatter::Write(std::vector<std::unique_ptr<TXLSBlob>>& records, TXLSCalculator& calculator) const {
  const TRelativeReferenceMode relative(calculator);
  int32_t bytes = 0;
  for (const auto& f : formats_) {
    if (f->Areas().Empty() || f->Rules().empty()) continue;
    const TCondRangeList& areas = f->Areas();
    auto record = NewRecord(kRecCondFmt, kCondFmtFixedSize + kAreaSize * static_cast<uint32_t>(areas.Count()));
    record->AddWord(static_cast<uint16_t>(f->Rules().size()));
    record->AddWord(f->Recalculate() ? 1 : 0);
    const TCondRange& b = areas.Bounds();
    record->AddWord(static_cast<uint16_t>(b.firstRow));
    record->AddWord(static_cast<uint16_t>(b.lastRow));
    record->AddWord(static_cast<uint16_t>(b.firstColumn));
    record->AddWord(static_cast<uint16_t>(b.lastColumn));
    record->AddWord(static_cast<uint16_t>(areas.Count()));
    areas.WriteAreas(*record);
    bytes += static_cast<int32_t>(record->Length());
    records.push_back(std::move(record));
    for (const TCondFormatRule& rule : f->Rules()) {
      auto cf = rule.BuildRecord(calculator);
      bytes += static_cast<int32_t>(cf->Length());
      records.push_back(std::move(cf));
    }
  }
  return bytes;
}

}  // namespace lx

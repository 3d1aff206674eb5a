// Row blocks, DBCELL and INDEX records, RK encoding.
#include "lxDBCell.h"

#include <bit>
#include <cmath>

#include "lxConstants.h"

namespace lx {

namespace {

// The lowest 34 bits of a double that the RK form drops.
constexpr uint64_t kRKDroppedBits = (uint64_t{1} << 34) - 1;
constexpr double kRKIntegerLimit = 536870912.0;     // 2^29
constexpr double kRKMagnitudeLimit = 2147483648.0;  // 2^31
constexpr uint32_t kRKScaled = 0x01;
constexpr uint32_t kRKInteger = 0x02;

}  // namespace

void TXLSDBCell::NoteRow(int32_t row, uint32_t cellListOffset) {
  const int32_t slot = row - firstRow_;
  if (slot < 0 || slot >= kRowsPerBlock || hasRow_[slot]) return;
  hasRow_[slot] = true;
  rowStart_[slot] = cellListOffset;
  ++rowCount_;
  if (lowestRow_ < 0 || row < lowestRow_) lowestRow_ = row;
  if (row > highestRow_) highestRow_ = row;
}

std::unique_ptr<TXLSBlob> TXLSDBCell::BuildRecord(uint32_t dbcellOffset) {
  dbcellOffset_ = dbcellOffset;
  auto record = NewRecord(kRecDBCell, static_cast<uint16_t>(4 + 2 * rowCount_));
  record->AddDWord(rowCount_ == 0 ? 0 : dbcellOffset - blockStart_);
  // The first row is measured from the end of the first ROW record, each later
  // one from the start of the row before it. Offsets are 16 bits wide: once
  // one does not fit, it and all later ones are written as 0.
  uint32_t from = blockStart_ + kRowRecordSize;
  bool overflow = false;
  for (int32_t slot = 0; slot < kRowsPerBlock; ++slot) {
    if (!hasRow_[slot]) continue;
    const uint32_t start = rowStart_[slot];
    const uint32_t distance = start >= from ? start - from : 0;
    if (distance > 0xFFFF) overflow = true;
    record->AddWord(overflow ? 0 : static_cast<uint16_t>(distance));
    from = start;
  }
  return record;
}

int32_t TXLSDBCellIndex::Add(const TXLSDBCell& block) {
  if (Count() >= kMaxRowBlocks) return kResultFail;
  offsets_.push_back(block.DBCellOffset());
  if (block.LowestRow() >= 0 && (lowestRow_ < 0 || block.LowestRow() < lowestRow_)) lowestRow_ = block.LowestRow();
  if (block.HighestRow() > highestRow_) highestRow_ = block.HighestRow();
  return kResultOk;
}

uint32_t TXLSDBCellIndex::IndexRecordSize(bool biff8) const {
  return kRecordHeaderSize + (biff8 ? 16u : 12u) + 4u * static_cast<uint32_t>(offsets_.size());
}

uint32_t TXLSDBCellIndex::WrittenIndexSize(bool biff8, uint16_t maxRecordData) const {
  const uint32_t payload = IndexRecordSize(biff8) - kRecordHeaderSize;
  if (maxRecordData == 0 || payload <= maxRecordData) return payload + kRecordHeaderSize;
  const uint32_t pieces = (payload + maxRecordData - 1) / maxRecordData;
  return payload + pieces * kRecordHeaderSize;
}

std::unique_ptr<TXLSBlob> TXLSDBCellIndex::BuildIndexRecord(bool biff8, uint32_t cellListStart) const {
  const uint32_t size = IndexRecordSize(biff8);
  auto record = NewRecord(kRecIndex, static_cast<uint16_t>(size - kRecordHeaderSize));
  record->AddDWord(0);
  const uint32_t lowest = lowestRow_ < 0 ? 0 : static_cast<uint32_t>(lowestRow_);
  const uint32_t beyond = highestRow_ < 0 ? 0 : static_cast<uint32_t>(highestRow_) + 1;
  if (biff8) {
    record->AddDWord(lowest);
    record->AddDWord(beyond);
  } else {
    record->AddWord(static_cast<uint16_t>(lowest));
    record->AddWord(static_cast<uint16_t>(beyond));
  }
  record->AddDWord(0);
  for (uint32_t offset : offsets_) record->AddDWord(cellListStart + offset);
  return record;
}

bool EncodeRK(double value, uint32_t& rk) {
  if (!(std::fabs(value) < kRKMagnitudeLimit)) return false;
  const double whole = std::trunc(value);
  if (value == whole && whole >= -kRKIntegerLimit && whole < kRKIntegerLimit) {
    rk = static_cast<uint32_t>(static_cast<int32_t>(whole)) * 4u + kRKInteger;
    return true;
  }
  // nearbyint rounds ties to even under the default rounding mode.
  const double hundredths = std::nearbyint(value * 100.0);
  if (value == hundredths / 100.0 && hundredths >= -kRKIntegerLimit && hundredths < kRKIntegerLimit) {
    rk = static_cast<uint32_t>(static_cast<int32_t>(hundredths)) * 4u + kRKInteger + kRKScaled;
    return true;
  }
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  if ((bits & kRKDroppedBits) == 0) {
    rk = static_cast<uint32_t>(bits >> 32) & ~3u;
    return true;
  }
  const double scaled = value * 100.0;
  const uint64_t scaledBits = std::bit_cast<uint64_t>(scaled);
  // The product must be exact: compare with the product at higher precision.
  if ((scaledBits & kRKDroppedBits) == 0 &&
      static_cast<long double>(value) * 100.0L == static_cast<long double>(scaled)) {
    rk = (static_cast<uint32_t>(scaledBits >> 32) & ~3u) | kRKScaled;
    return true;
  }
  return false;
}

}  // namespace lx

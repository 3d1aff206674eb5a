// Row blocks, DBCELL and INDEX records, and the RK number encoding.
//
// A worksheet substream stores its rows in blocks of 32: the ROW records of
// the block, then the cell records of those rows, then a DBCELL record that
// lets a reader jump from the block's end back to each row's first cell. The
// INDEX record at the head of the sheet lists the absolute stream position of
// every DBCELL. The worksheet writer (lxWriteSheet.h) fills one TXLSDBCell per
// block while it writes the cell list and collects them in a TXLSDBCellIndex;
// all offsets are offsets into the sheet's cell list, so the INDEX record can
// be built once the size of everything in front of the cell list is known.
//
// EncodeRK decides whether a number fits the 32-bit RK form used by the RK and
// MULRK cell records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "lxBLOB.h"

namespace lx {

inline constexpr uint16_t kRecRow = 0x0208;
inline constexpr uint16_t kRecDBCell = 0x00D7;
inline constexpr uint16_t kRecIndex = 0x020B;

inline constexpr int32_t kRowsPerBlock = 32;
// 2048 blocks of 32 rows cover all 65536 rows.
inline constexpr int32_t kMaxRowBlocks = 2048;
// A whole ROW record (header and 16 payload bytes); DBCELL row offsets are
// measured from the end of the block's first ROW record.
inline constexpr uint32_t kRowRecordSize = 20;

// One block of up to 32 rows while the cell list is being written.
class TXLSDBCell {
 public:
  // firstRow: the block's first row; blockStart: the cell-list offset of the
  // block's first ROW record.
  TXLSDBCell(int32_t firstRow, uint32_t blockStart) : firstRow_(firstRow), blockStart_(blockStart) {}

  // Notes that a row of the block (one with a row record) has its first cell
  // record at cellListOffset. Rows outside the block are ignored.
  void NoteRow(int32_t row, uint32_t cellListOffset);

  // The DBCELL record of the block, whose record starts at dbcellOffset in the
  // cell list. Remembers that offset.
  std::unique_ptr<TXLSBlob> BuildRecord(uint32_t dbcellOffset);

  int32_t FirstRow() const { return firstRow_; }
  uint32_t BlockStart() const { return blockStart_; }
  uint32_t DBCellOffset() const { return dbcellOffset_; }
  // Lowest and highest noted row; -1 while none.
  int32_t LowestRow() const { return lowestRow_; }
  int32_t HighestRow() const { return highestRow_; }
  int32_t RowCount() const { return rowCount_; }

 private:
  int32_t firstRow_;
  uint32_t blockStart_;
  uint32_t dbcellOffset_ = 0;
  int32_t lowestRow_ = -1;
  int32_t highestRow_ = -1;
  int32_t rowCount_ = 0;
  std::array<bool, kRowsPerBlock> hasRow_{};
  std::array<uint32_t, kRowsPerBlock> rowStart_{};
};

// The DBCELL positions of one sheet and the row bounds over all blocks.
class TXLSDBCellIndex {
 public:
  // Records a finished block. Blocks past the 2048th are not recorded (a sheet
  // has no more than 2048 blocks). Result 1, or -1 when the index is full.
  [[nodiscard]] int32_t Add(const TXLSDBCell& block);

  int32_t Count() const { return static_cast<int32_t>(offsets_.size()); }
  const std::vector<uint32_t>& Offsets() const { return offsets_; }
  int32_t LowestRow() const { return lowestRow_; }
  int32_t HighestRow() const { return highestRow_; }
  // An INDEX record is written only when some block holds a row with a record.
  bool HasRows() const { return lowestRow_ >= 0; }

  // Size in bytes of the INDEX record (header included) for this index.
  uint32_t IndexRecordSize(bool biff8) const;
  // The bytes the INDEX record takes in the stream once a payload longer than
  // maxRecordData is split: the record plus the header of each CONTINUE
  // record. In BIFF5 this happens past 517 blocks; a BIFF8 INDEX (at most
  // 16 + 4 * 2048 = 8208 bytes of payload) always fits one record.
  uint32_t WrittenIndexSize(bool biff8, uint16_t maxRecordData) const;
  // The INDEX record; cellListStart is the absolute stream position of the
  // first byte of the sheet's cell list.
  std::unique_ptr<TXLSBlob> BuildIndexRecord(bool biff8, uint32_t cellListStart) const;

 private:
  std::vector<uint32_t> offsets_;
  int32_t lowestRow_ = -1;
  int32_t highestRow_ = -1;
};

// The RK form of value, when it has one: an integer below 2^29 in magnitude,
// such an integer divided by 100, or a double whose lowest 34 bits are zero
// (itself or divided by 100). False when the value needs a NUMBER record.
bool EncodeRK(double value, uint32_t& rk);

}  // namespace lx

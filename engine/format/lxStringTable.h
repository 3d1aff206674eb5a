// The shared string table of a workbook.
//
// Every distinct cell text is kept once, with a count of the cells that use it;
// a text cell of the cell store holds only the table index of its text. For a
// BIFF8 save the table numbers the texts still in use (AssignSSTIndexes) and
// writes them as one SST record, its CONTINUE records and the EXTSST lookup
// index; the worksheet writer then refers to texts by their SST position. BIFF5
// has no SST: the worksheet writer fetches texts through GetString.
//
// Table indexes start at 1. Freed indexes are reused last-freed-first, so the
// SST order (ascending table index) is not necessarily the order of insertion.
//
// Texts longer than 65,535 code units: the table keeps them whole, but the SST
// count field is 16 bits wide, so WriteSST writes only their first 65,535 code
// units (65,534 when that would split a surrogate pair). The record stream stays
// valid; the cell shows the cut text. Spreadsheet applications cap cell texts
// far below that length anyway.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lx {

class TXLSBlob;
class TXLSBlobList;

// Record number of SST (the shared strings).
inline constexpr uint16_t kRecSST = 0x00FC;
// Record number of EXTSST (the lookup index of the SST).
inline constexpr uint16_t kRecExtSST = 0x00FF;
// The longest text an SST entry holds, in code units.
inline constexpr uint32_t kMaxSSTStringLength = 0xFFFF;

// The shared string table: each distinct text once, with a reference count, under a table index from 1.
class TXLSStringTable {
 public:
  // Entries are allocated in blocks of this many.
  static constexpr uint32_t kBlockSize = 100;
  // Texts per EXTSST bucket.
  static constexpr uint16_t kExtSSTBucketSize = 8;

  TXLSStringTable();
  ~TXLSStringTable();
  TXLSStringTable(const TXLSStringTable&) = delete;
  TXLSStringTable& operator=(const TXLSStringTable&) = delete;

  // Adds one reference to text (never empty) and returns its table index.
  // Unpaired surrogates are kept as U+FFFD (FindString looks them up so).
  int32_t AddString(std::u16string_view text);
  // Drops one reference; out-of-range indexes are ignored.
  void ReleaseString(int32_t index);
  // Releases oldIndex (when above 0) and adds a reference to the existing entry
  // newIndex (when at least 1) without touching its text.
  void ReassignString(int32_t oldIndex, int32_t newIndex);
  // Table index of an equal text (case-sensitive), or -1.
  int32_t FindString(std::u16string_view text) const;
  // The entry's text; empty for an index outside 1..HighestIndex.
  const std::u16string& GetString(int32_t index) const;
  // SST position from the last AssignSSTIndexes; -1 outside 1..HighestIndex.
  int32_t GetSSTIndex(int32_t index) const;
  // Reference count of an entry (0 for free or out-of-range indexes).
  int32_t RefCount(int32_t index) const;

  // Numbers the referenced entries 0, 1, 2, ... in ascending table index.
  void AssignSSTIndexes();
  // Appends SST, CONTINUE and EXTSST records to list. streamOffset is the
  // position in the workbook stream where the SST record will begin.
  void WriteSST(TXLSBlobList& list, uint32_t streamOffset);

  // The payload limit of one record while writing (8224 for BIFF8).
  uint16_t MaxRecordData() const { return maxRecordData_; }
  // Sets the payload limit of one record.
  void SetMaxRecordData(uint16_t value) { maxRecordData_ = value; }
  // The highest table index in use or below it on the free list; entries above it are gone.
  int32_t HighestIndex() const { return highestIndex_; }
  // The references held on all texts together (the cells that show a text).
  uint32_t TotalReferences() const { return totalReferences_; }
  // The number of distinct texts held.
  uint32_t UniqueCount() const { return uniqueCount_; }
  // Allocated entry blocks (tests watch trimming through this).
  uint32_t BlockCount() const { return static_cast<uint32_t>(blocks_.size()); }
  // The number of hash buckets (tests watch growth through this).
  uint32_t BucketCount() const { return static_cast<uint32_t>(buckets_.size()); }

 private:
  // One table entry. Its hash node lives in the entry itself: hash and the
  // index of the next entry in the same bucket (0 ends the chain).
  struct TEntry {
    std::u16string text;
    int32_t sstIndex = -1;
    int32_t refCount = 0;
    uint32_t hash = 0;
    int32_t next = 0;
  };
  using TBlock = std::array<TEntry, kBlockSize>;
  class TWriter;

  TEntry& Entry(int32_t index) { return (*blocks_[index / kBlockSize])[index % kBlockSize]; }
  const TEntry& Entry(int32_t index) const { return (*blocks_[index / kBlockSize])[index % kBlockSize]; }
  bool Valid(int32_t index) const { return index >= 1 && index <= highestIndex_; }
  int32_t Lookup(std::u16string_view text, uint32_t hash) const;
  void GrowBuckets();
  void Unlink(int32_t index);
  void TrimStorage();

  std::vector<std::unique_ptr<TBlock>> blocks_;
  int32_t highestIndex_ = 0;
  std::vector<int32_t> freeIndexes_;
  uint32_t totalReferences_ = 0;
  uint32_t uniqueCount_ = 0;
  std::vector<int32_t> buckets_;  // head entry index per bucket, 0 when empty
  uint32_t mask_ = 0;
  uint32_t nodeCount_ = 0;
  uint16_t maxRecordData_ = 8224;
};

}  // namespace lx

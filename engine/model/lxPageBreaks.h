// Manual page breaks of a worksheet.
//
// A worksheet owns one horizontal and one vertical collection. Each keeps its
// breaks sorted by position (0-based row for horizontal breaks, 0-based
// column for vertical ones) with no position twice, and every break knows its
// 1-based place in the list, so that Item(n) and a break's Index agree after
// any insertion. The worksheet writer turns a collection into one
// HORIZONTALPAGEBREAKS or VERTICALPAGEBREAKS record; the reader adds the
// breaks it finds through Add.
//
// Add takes the position the caller's range starts at (its first row or first
// column); the range object itself stays with the worksheet.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lxBLOB.h"

namespace lx {

// Record number of VERTICALPAGEBREAKS.
inline constexpr uint16_t kRecVerticalPageBreaks = 0x001A;
// Record number of HORIZONTALPAGEBREAKS.
inline constexpr uint16_t kRecHorizontalPageBreaks = 0x001B;

class IXLSWorksheet;

// A manual page break before a row or a column.
class TXLSPageBreak {
 public:
  virtual ~TXLSPageBreak() = default;
  // 1-based place in the collection.
  int32_t Index() const { return index_; }
  // 0-based row (horizontal) or column (vertical) the new page starts at.
  int32_t Position() const { return position_; }

 private:
  friend class TXLSPageBreaks;
  int32_t index_ = 0;
  int32_t position_ = 0;
};

class TXLSHPageBreak : public TXLSPageBreak {};
class TXLSVPageBreak : public TXLSPageBreak {};

// A sheet's manual page breaks of one direction, sorted by position. The collection owns its breaks.
class TXLSPageBreaks {
 public:
  // worksheet: the owning sheet (not owned; may be null in tests).
  TXLSPageBreaks(bool horizontal, IXLSWorksheet* worksheet) : horizontal_(horizontal), worksheet_(worksheet) {}
  virtual ~TXLSPageBreaks() = default;
  TXLSPageBreaks(const TXLSPageBreaks&) = delete;
  TXLSPageBreaks& operator=(const TXLSPageBreaks&) = delete;

  // Makes one break of the collection's kind.
  virtual std::unique_ptr<TXLSPageBreak> CreateBreak() const = 0;

  // The break at position, created and put in its sorted place when missing.
  // Null for a negative position or one beyond the sheet (row 65535, column
  // 255).
  TXLSPageBreak* Add(int32_t position);
  // Break at a 1-based place, or null.
  TXLSPageBreak* Item(int32_t index) const;
  // The number of breaks.
  int32_t Count() const { return static_cast<int32_t>(breaks_.size()); }
  // Removes every break.
  void Clear() { breaks_.clear(); }

  // Whether the breaks are between rows (true) or columns.
  bool Horizontal() const { return horizontal_; }
  // The sheet (not owned), or null.
  IXLSWorksheet* Worksheet() const { return worksheet_; }

  // HORIZONTALPAGEBREAKS or VERTICALPAGEBREAKS for BIFF5 or BIFF8; null when
  // there are no breaks.
  std::unique_ptr<TXLSBlob> BuildRecord(bool biff8) const;

 private:
  bool horizontal_;
  IXLSWorksheet* worksheet_;
  std::vector<std::unique_ptr<TXLSPageBreak>> breaks_;
};

// Page breaks between rows.
class TXLSHPageBreaks : public TXLSPageBreaks {
 public:
  // The row breaks of worksheet (not owned).
  explicit TXLSHPageBreaks(IXLSWorksheet* worksheet = nullptr) : TXLSPageBreaks(true, worksheet) {}
  std::unique_ptr<TXLSPageBreak> CreateBreak() const override { return std::make_unique<TXLSHPageBreak>(); }
};

// Page breaks between columns.
class TXLSVPageBreaks : public TXLSPageBreaks {
 public:
  // The column breaks of worksheet (not owned).
  explicit TXLSVPageBreaks(IXLSWorksheet* worksheet = nullptr) : TXLSPageBreaks(false, worksheet) {}
  std::unique_ptr<TXLSPageBreak> CreateBreak() const override { return std::make_unique<TXLSVPageBreak>(); }
};

}  // namespace lx

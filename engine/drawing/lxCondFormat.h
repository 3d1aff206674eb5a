// Conditional formats of a worksheet, and the cell areas that sheet objects
// apply to.
//
// A conditional format (TCondFormat) is a list of cell areas and a list of
// rules (TCondFormatRule): each rule compares the cell with one or two
// formulas and carries the formatting blocks to show when it holds. The
// engine does not make conditional formats itself: they come from files
// (CONDFMT starts a format, each CF record after it adds a rule) and are
// written back at save time with their formulas encoded again, so that the
// sheet's external-sheet numbering of the new file holds. A formula that
// this engine cannot decode is kept as the token bytes it was read with and
// written back unchanged, rather than losing the rule.
//
// The areas follow the sheet's cells: clearing a rectangle cuts it out of
// every area (an area can fall apart into up to four pieces), inserting and
// deleting cells move the parts of the areas in the moved block. The data
// validations (lxDataCheck.h) keep their areas in the same TCondRangeList.
//
// Everything read here comes from untrusted files: every count and length
// is checked against the record before it is used.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lxBLOB.h"

namespace lx {

class TXLSCalculator;
class TXLSCompiledFormula;

inline constexpr uint16_t kRecCondFmt = 0x01B0;
inline constexpr uint16_t kRecCF = 0x01B1;

// A rectangle of cells, 0-based; the constructor orders each pair so that
// first <= last.
struct TCondRange {
  TCondRange(int32_t row1, int32_t column1, int32_t row2, int32_t column2);
  int32_t firstRow;
  int32_t firstColumn;
  int32_t lastRow;
  int32_t lastColumn;
  bool operator==(const TCondRange&) const = default;
};

// The rectangle a range operation works on: 0-based bounds in the order the
// sheet's hooks take them, a negative bound meaning unbounded on that side.
struct TXLSAreaBounds {
  int32_t firstRow = -1;
  int32_t firstColumn = -1;
  int32_t lastColumn = -1;
  int32_t lastRow = -1;
};

// What remains of area when cut is cleared out of it, appended to pieces:
// area itself when the two do not meet; otherwise up to four pieces, in the
// order above, right, below and left of the cleared rectangle.
void CutArea(const TCondRange& area, const TXLSAreaBounds& cut, std::vector<TCondRange>& pieces);

// The areas of one conditional format or validation, with their bounding
// area.
class TCondRangeList {
 public:
  const std::vector<TCondRange>& Areas() const { return areas_; }
  bool Empty() const { return areas_.empty(); }
  int32_t Count() const { return static_cast<int32_t>(areas_.size()); }
  // The smallest rectangle holding every area; meaningless while empty.
  const TCondRange& Bounds() const { return bounds_; }

  void Add(const TCondRange& area);
  // Cuts the rectangle out of every area.
  void ClearArea(const TXLSAreaBounds& cut);
  // Moves the parts of the areas that lie in block by the offsets; a moved
  // part is clipped to the sheet, and dropped when nothing of it remains.
  void ShiftArea(const TXLSAreaBounds& block, int32_t rowOffset, int32_t columnOffset);
  // Each area as first row, last row, first column, last column (16-bit).
  void WriteAreas(TXLSBlob& record) const;

 private:
  void UpdateBounds();

  std::vector<TCondRange> areas_;
  TCondRange bounds_{0, 0, 0, 0};
};

// The formula of a rule or validation: the compiled formula when the tokens
// decode, and the token bytes as read.
class TSheetObjectFormula {
 public:
  // Takes the tokens (no length prefix) and decodes them as BIFF8.
  void Read(std::span<const uint8_t> tokens, const TXLSCalculator& calculator);
  bool Empty() const { return !compiled_ && bytes_.empty(); }
  bool Decoded() const { return compiled_ != nullptr; }
  const TXLSCompiledFormula* Compiled() const { return compiled_.get(); }
  // The token bytes to write (no length prefix), the root asked for in
  // topClass: the decoded formula encoded for the current file, or the bytes
  // as read when it did not decode or does not encode. Empty for none.
  std::vector<uint8_t> Tokens(const TXLSCalculator& calculator, int32_t topClass) const;

 private:
  std::shared_ptr<TXLSCompiledFormula> compiled_;
  std::vector<uint8_t> bytes_;
};

// Sets the formula encoder to write relative references as offsets (the
// rules' mode) for its lifetime, and back to positions afterwards.
class TRelativeReferenceMode {
 public:
  explicit TRelativeReferenceMode(TXLSCalculator& calculator);
  ~TRelativeReferenceMode();
  TRelativeReferenceMode(const TRelativeReferenceMode&) = delete;
  TRelativeReferenceMode& operator=(const TRelativeReferenceMode&) = delete;

 private:
  TXLSCalculator& calculator_;
};

class TCondFormatRule {
 public:
  uint8_t ConditionType() const { return conditionType_; }
  uint8_t Operator() const { return operator_; }
  uint32_t Options() const { return options_; }
  const std::vector<uint8_t>& Blocks() const { return blocks_; }
  const TSheetObjectFormula& Formula1() const { return formula1_; }
  const TSheetObjectFormula& Formula2() const { return formula2_; }

  // A CF record's payload; false when it is too short for what it declares.
  bool Read(std::span<const uint8_t> data, const TXLSCalculator& calculator);
  std::unique_ptr<TXLSBlob> BuildRecord(const TXLSCalculator& calculator) const;

 private:
  uint8_t conditionType_ = 0;
  uint8_t operator_ = 0;
  uint32_t options_ = 0;
  std::vector<uint8_t> blocks_;
  TSheetObjectFormula formula1_;
  TSheetObjectFormula formula2_;
};

class TCondFormat {
 public:
  TCondRangeList& Areas() { return areas_; }
  const TCondRangeList& Areas() const { return areas_; }
  const std::vector<TCondFormatRule>& Rules() const { return rules_; }
  void AddRule(TCondFormatRule rule) { rules_.push_back(std::move(rule)); }
  bool Recalculate() const { return recalculate_; }
  void SetRecalculate(bool value) { recalculate_ = value; }

 private:
  TCondRangeList areas_;
  std::vector<TCondFormatRule> rules_;
  bool recalculate_ = false;
};

// The conditional formats of one worksheet.
class TCondFormatter {
 public:
  const std::vector<std::unique_ptr<TCondFormat>>& Formats() const { return formats_; }
  int32_t Count() const { return static_cast<int32_t>(formats_.size()); }

  // Cuts the rectangle out of every format's areas; a format left without
  // areas is removed.
  void ClearArea(const TXLSAreaBounds& cut);
  void ShiftArea(const TXLSAreaBounds& block, int32_t rowOffset, int32_t columnOffset);

  // CONDFMT starts a new format, CF adds a rule to it; other records are
  // ignored. Malformed records are passed over. Always 1.
  int32_t ReadRecord(uint16_t number, std::span<const uint8_t> data, const TXLSCalculator& calculator);

  // Appends CONDFMT and its CF records for each format that has areas and
  // rules, relative references written as offsets. The bytes appended.
  int32_t Write(std::vector<std::unique_ptr<TXLSBlob>>& records, TXLSCalculator& calculator) const;

 private:
  void RemoveEmpty();

  std::vector<std::unique_ptr<TCondFormat>> formats_;
  // The format the CF records being read belong to.
  TCondFormat* reading_ = nullptr;
};

}  // namespace lx

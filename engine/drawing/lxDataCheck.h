// Data validation of a worksheet.
//
// A validation (TDataValidation) restricts what may be typed into its cell
// areas: its option flags name the kind of check (whole number, decimal,
// list, date, ..., in the low four bits) and the comparison, one or two
// formulas give the bounds or the list, and four texts give the prompt and
// the error message. TDataValidator holds a sheet's validations with the
// settings of the DVAL record before them. Like conditional formats
// (lxCondFormat.h) validations come only from files, are written back with
// their formulas encoded again (bytes that do not decode are kept as read),
// and their areas follow the sheet's cells when ranges are cleared,
// inserted or deleted.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lxCondFormat.h"

namespace lx {

inline constexpr uint16_t kRecDVal = 0x01B2;
inline constexpr uint16_t kRecDV = 0x01BE;
// DVAL: no drop-down object on the sheet.
inline constexpr uint32_t kNoDropDownObject = 0xFFFFFFFF;
// Validation type (low four bits of the options) of a list of values.
inline constexpr uint32_t kValidationTypeList = 3;

using TDVRange = TCondRange;
using TDVRangeList = TCondRangeList;

class TDataValidation {
 public:
  enum TText { tPromptTitle = 0, tErrorTitle = 1, tPromptText = 2, tErrorText = 3, kTextCount = 4 };

  uint32_t Options() const { return options_; }
  uint32_t Type() const { return options_ & 0x0F; }
  const std::u16string& Text(TText which) const { return texts_[which]; }
  void SetText(TText which, std::u16string text) { texts_[which] = std::move(text); }
  const TSheetObjectFormula& Formula1() const { return formula1_; }
  const TSheetObjectFormula& Formula2() const { return formula2_; }
  TDVRangeList& Areas() { return areas_; }
  const TDVRangeList& Areas() const { return areas_; }

  // A DV record's payload; false when it is shorter than what it declares.
  bool Read(std::span<const uint8_t> data, const TXLSCalculator& calculator);
  std::unique_ptr<TXLSBlob> BuildRecord(const TXLSCalculator& calculator) const;

 private:
  uint32_t options_ = 0;
  std::u16string texts_[kTextCount];
  TSheetObjectFormula formula1_;
  TSheetObjectFormula formula2_;
  TDVRangeList areas_;
};

// The validations of one worksheet.
class TDataValidator {
 public:
  const std::vector<std::unique_ptr<TDataValidation>>& Validations() const { return validations_; }
  int32_t Count() const { return static_cast<int32_t>(validations_.size()); }
  uint16_t Options() const { return options_; }
  // The object identifier DVAL named for the drop-down list box, or
  // kNoDropDownObject. The box is made again by whoever opens the file, so
  // the drawing layer drops the shape with this identifier.
  uint32_t DropDownObject() const { return dropDownObject_; }

  // Cuts the rectangle out of every validation's areas; a validation left
  // without areas is removed.
  void ClearArea(const TXLSAreaBounds& cut);
  void ShiftArea(const TXLSAreaBounds& block, int32_t rowOffset, int32_t columnOffset);

  // DVAL takes the settings, DV adds a validation; other records are
  // ignored, malformed ones passed over. Always 1.
  int32_t ReadRecord(uint16_t number, std::span<const uint8_t> data, const TXLSCalculator& calculator);

  // Appends DVAL and one DV per validation when there is any, relative
  // references written as offsets. The bytes appended.
  int32_t Write(std::vector<std::unique_ptr<TXLSBlob>>& records, TXLSCalculator& calculator) const;

 private:
  void RemoveEmpty();

  uint16_t options_ = 0;
  int32_t windowLeft_ = 0;
  int32_t windowTop_ = 0;
  uint32_t dropDownObject_ = kNoDropDownObject;
  std::vector<std::unique_ptr<TDataValidation>> validations_;
};

}  // namespace lx

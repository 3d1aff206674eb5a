// Outline summary settings and the WSBOOL record.
//
// A worksheet creates its TXLSOutline on first use; until then the defaults
// (summary rows below the detail, summary columns to its right) apply. The
// WSBOOL record combines these with the page setup's fit-to-page flag, so its
// builder lives here and takes that flag from the caller.
#pragma once

#include <cstdint>
#include <memory>

#include "lxBLOB.h"

namespace lx {

// Record number of WSBOOL (sheet options).
inline constexpr uint16_t kRecWsBool = 0x0081;

// WSBOOL bits.
inline constexpr uint16_t kWsBoolBase = 0x0401;  // show automatic breaks, outline symbols
// WSBOOL: summary rows below their details.
inline constexpr uint16_t kWsBoolRowSummaryBelow = 0x0040;
// WSBOOL: summary columns right of their details.
inline constexpr uint16_t kWsBoolColumnSummaryRight = 0x0080;
// WSBOOL: fit the sheet to pages when printing.
inline constexpr uint16_t kWsBoolFitToPage = 0x0100;

// Where a sheet's outline puts its summary rows and columns.
class TXLSOutline {
 public:
  // 1: summary columns right of their details; 0: left.
  uint8_t SummaryColumn() const { return summaryColumn_; }
  // 1: summary rows below their details; 0: above.
  uint8_t SummaryRow() const { return summaryRow_; }
  // Only 0 and 1 are accepted; other values are ignored.
  void SetSummaryColumn(int32_t value);
  // Sets SummaryRow (0 or 1; other values are ignored).
  void SetSummaryRow(int32_t value);

 private:
  uint8_t summaryColumn_ = 1;
  uint8_t summaryRow_ = 1;
};

// WSBOOL from the outline (null: not created, defaults apply) and the fit flag
// (the page setup's Zoom reads false).
std::unique_ptr<TXLSBlob> BuildWsBoolRecord(const TXLSOutline* outline, bool fitToPage);

}  // namespace lx

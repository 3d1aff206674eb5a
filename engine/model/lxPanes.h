// Frozen and split window panes of a worksheet.
//
// A worksheet creates its TXLSPanes on the first SplitPanes or FreezePanes
// call and keeps, beside it, the frozen flag and the active pane. The same
// four numbers serve both kinds: frozen panes count rows and columns, split
// panes measure the split in characters (width) and points (height). The
// worksheet writer turns them into the PANE record; computing that record
// also yields the active pane, which the worksheet stores for SELECTION.
#pragma once

#include <cstdint>
#include <memory>

#include "lxBLOB.h"

namespace lx {

// Record number of PANE.
inline constexpr uint16_t kRecPane = 0x0041;
// Payload size of PANE in bytes.
inline constexpr uint16_t kPanePayload = 10;

// Active pane numbers of PANE and SELECTION.
inline constexpr uint8_t kPaneLowerRight = 0;
// The upper right pane.
inline constexpr uint8_t kPaneUpperRight = 1;
// The lower left pane.
inline constexpr uint8_t kPaneLowerLeft = 2;
// The upper left pane (the only one when the window is not split).
inline constexpr uint8_t kPaneUpperLeft = 3;

// A sheet's split or frozen panes, as SplitPanes and FreezePanes store them.
class TXLSPanes {
 public:
  // Split width in characters, or the number of frozen columns.
  float Width() const { return width_; }
  // Split height in points, or the number of frozen rows.
  float Height() const { return height_; }
  // First row of the lower pane, -1 when not given.
  int32_t FirstRow() const { return firstRow_; }
  // First column of the right pane, -1 when not given.
  int16_t FirstColumn() const { return firstColumn_; }

  // Stores the values that are in range and ignores the others: a negative
  // width or height, a first row outside -1..65535, a first column outside
  // -1..255.
  void Store(int32_t firstRow, int32_t firstColumn, double width, double height);

 private:
  float width_ = 0;
  float height_ = 0;
  int32_t firstRow_ = -1;
  int16_t firstColumn_ = -1;
};

// The worksheet's SplitPanes and FreezePanes: create the panes when missing,
// store the values and set the frozen flag. Both return 1.
int32_t ApplySplitPanes(std::unique_ptr<TXLSPanes>& panes, bool& frozen, int32_t firstRow, int32_t firstColumn,
                        double width, double height);
// As ApplySplitPanes, for frozen panes: rows and columns frozen, the first visible cells below and right of them.
int32_t ApplyFreezePanes(std::unique_ptr<TXLSPanes>& panes, bool& frozen, uint16_t rows, uint16_t columns,
                         uint16_t firstColumn, uint16_t firstRow);

// The contents of a PANE record.
struct TXLSPaneValues {
  uint16_t x = 0;  // frozen columns, or the vertical split in twips
  uint16_t y = 0;  // frozen rows, or the horizontal split in twips
  // The first row of the lower pane.
  uint16_t firstRow = 0;
  // The first column of the right pane.
  uint16_t firstColumn = 0;
  // The active pane (kPane constants).
  uint8_t activePane = kPaneUpperLeft;
};

// The PANE contents of the panes, frozen or split.
TXLSPaneValues ComputePaneValues(const TXLSPanes& panes, bool frozen);
// PANE record; activePane receives the pane for the worksheet to keep.
std::unique_ptr<TXLSBlob> BuildPaneRecord(const TXLSPanes& panes, bool frozen, uint8_t& activePane);

}  // namespace lx

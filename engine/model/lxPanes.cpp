#include "lxPanes.h"

#include <algorithm>
#include <cmath>

namespace lx {

namespace {

constexpr int32_t kLastRow = 65535;
constexpr int32_t kLastColumn = 255;
// A split is given in characters and points; PANE wants twips measured from
// the window edge, past the row and column headings.
constexpr double kTwipsPerCharacter = 113.879;
constexpr double kRowHeadingTwips = 390;
constexpr double kTwipsPerPoint = 20;
constexpr double kColumnHeadingTwips = 255;

// Nearest integer, ties to even, kept within 16 bits.
uint16_t RoundWord(double value) {
  const double r = std::nearbyint(value);
  if (!(r > 0)) return 0;
  return static_cast<uint16_t>(std::min(r, 65535.0));
}

}  // namespace

void TXLSPanes::Store(int32_t firstRow, int32_t firstColumn, double width, double height) {
  if (width >= 0) width_ = static_cast<float>(width);
  if (height >= 0) height_ = static_cast<float>(height);
  if (firstRow >= -1 && firstRow <= kLastRow) firstRow_ = firstRow;
  if (firstColumn >= -1 && firstColumn <= kLastColumn) firstColumn_ = static_cast<int16_t>(firstColumn);
}

int32_t ApplySplitPanes(std::unique_ptr<TXLSPanes>& panes, bool& frozen, int32_t firstRow, int32_t firstColumn,
                        double width, double height) {
  if (!panes) panes = std::make_unique<TXLSPanes>();
  panes->Store(firstRow, firstColumn, width, height);
  frozen = false;
  return 1;
}

int32_t ApplyFreezePanes(std::unique_ptr<TXLSPanes>& panes, bool& frozen, uint16_t rows, uint16_t columns,
                         uint16_t firstColumn, uint16_t firstRow) {
  if (!panes) panes = std::make_unique<TXLSPanes>();
  panes->Store(firstRow, firstColumn, columns, rows);
  frozen = true;
  return 1;
}

TXLSPaneValues ComputePaneValues(const TXLSPanes& panes, bool frozen) {
  TXLSPaneValues values;
  if (frozen) {
    values.x = RoundWord(panes.Width());
    values.y = RoundWord(panes.Height());
    values.firstRow = panes.FirstRow() == -1 ? values.y : static_cast<uint16_t>(panes.FirstRow());
    values.firstColumn = panes.FirstColumn() == -1 ? values.x : static_cast<uint16_t>(panes.FirstColumn());
  } else {
    // Each direction is split only when it has a size: a split of one
    // direction alone must not add a split at the heading of the other.
    if (panes.Width() > 0) values.x = RoundWord(panes.Width() * kTwipsPerCharacter + kRowHeadingTwips);
    if (panes.Height() > 0) values.y = RoundWord(panes.Height() * kTwipsPerPoint + kColumnHeadingTwips);
    values.firstRow = panes.FirstRow() == -1 ? 0 : static_cast<uint16_t>(panes.FirstRow());
    values.firstColumn = panes.FirstColumn() == -1 ? 0 : static_cast<uint16_t>(panes.FirstColumn());
  }
  if (values.x != 0 && values.y != 0) {
    values.activePane = kPaneLowerRight;
  } else if (values.x != 0) {
    values.activePane = kPaneUpperRight;
  } else if (values.y != 0) {
    values.activePane = kPaneLowerLeft;
  } else {
    values.activePane = kPaneUpperLeft;
  }
  return values;
}

std::unique_ptr<TXLSBlob> BuildPaneRecord(const TXLSPanes& panes, bool frozen, uint8_t& activePane) {
  const TXLSPaneValues values = ComputePaneValues(panes, frozen);
  activePane = values.activePane;
  auto blob = NewRecord(kRecPane, kPanePayload);
  blob->AddWord(values.x);
  blob->AddWord(values.y);
  blob->AddWord(values.firstRow);
  blob->AddWord(values.firstColumn);
  blob->AddWord(values.activePane);
  return blob;
}

}  // namespace lx

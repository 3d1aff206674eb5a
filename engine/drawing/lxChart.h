// Charts carried through a read and a save.
//
// An embedded chart read from a file is kept as the records of its chart
// substream, from its BOF to its EOF, exactly as read, and written back in the
// same order right after the OBJ record of the chart's shape (lxDraw.h). The
// engine does not look inside: the records travel as a blob. A record that
// was continued in the file keeps its CONTINUE pieces, each written as its own
// record, so the bytes come out as they went in.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "lxBLOB.h"

namespace lx {

// One record of a chart substream: its number and its data as read.
struct TXLSChartDataItem {
  uint16_t Number = 0;
  std::vector<uint8_t> Data;
};

// The records of one chart, BOF to EOF, in file order.
class TXLSCustomChart {
 public:
  // Appends a record (a CONTINUE piece comes with the number 0x003C).
  void AddRecord(uint16_t number, std::span<const uint8_t> data);
  // Appends every record, in order.
  void WriteChart(TXLSBlobList& list) const;
  // Bytes the records take in the stream, headers included.
  uint32_t Size() const;

  const std::vector<TXLSChartDataItem>& Items() const { return items_; }

 private:
  std::vector<TXLSChartDataItem> items_;
};

}  // namespace lx

// Charts carried through a read and a save.
//
// A chart read from a file, a chart sheet or a chart embedded in a sheet's
// drawing (lxDraw.h), is kept as the records of its chart substream, from
// its BOF to its EOF, and written back in the same order. The engine does
// not look inside except for the linked-data records (BRAI), which name the
// cells a series takes its values, categories and name from: their formulas
// are decoded when read, so that the references they hold go through the
// workbook's external-sheet table and follow its sheets when they are
// renamed or moved, and are encoded again when written. A record that was
// continued in the file keeps its CONTINUE pieces, each written as its own
// record, so the other bytes come out as they went in.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lxBLOB.h"

namespace lx {

class TXLSCalculator;
class TXLSCompiledFormula;

// The linked-data record of a series: a 6-byte head (link type, reference
// type, flags, number format), then the formula's 16-bit token length and
// tokens.
inline constexpr uint16_t kRecChartBRAI = 0x1051;
inline constexpr uint32_t kChartBRAIFormulaOffset = 6;

// One record of a chart substream: its number and its data as read.
class TXLSChartDataItem {
 public:
  TXLSChartDataItem(uint16_t number, std::span<const uint8_t> data)
      : number_(number), data_(data.begin(), data.end()) {}
  virtual ~TXLSChartDataItem() = default;

  uint16_t Number() const { return number_; }
  const std::vector<uint8_t>& Data() const { return data_; }
  // Appends the record; calculator encodes formulas (may be null).
  virtual void Write(TXLSBlobList& list, const TXLSCalculator* calculator) const;

 protected:
  uint16_t number_;
  std::vector<uint8_t> data_;
};

// A BRAI record with the formula decoded from it.
class TXLSChartAreaItem final : public TXLSChartDataItem {
 public:
  // The formula is decoded for the BIFF version (0x0600 and above: BIFF8);
  // a formula that does not decode leaves the item without one.
  TXLSChartAreaItem(std::span<const uint8_t> data, const TXLSCalculator* calculator, int32_t version);
  ~TXLSChartAreaItem() override;

  // Null when the formula did not decode (or the record has none).
  const TXLSCompiledFormula* Formula() const { return formula_.get(); }
  // The head as read and the formula as the calculator encodes it now. A
  // formula that did not decode, or does not encode, is written with the
  // bytes it was read with: an empty one would cut the series from its data.
  void Write(TXLSBlobList& list, const TXLSCalculator* calculator) const override;

 private:
  std::shared_ptr<TXLSCompiledFormula> formula_;
};

// The records of one chart, BOF to EOF, in file order.
class TXLSCustomChart {
 public:
  // calculator is the workbook's (not owned; it outlives the sheets that own
  // charts); version is the BIFF version of the file the chart came from.
  explicit TXLSCustomChart(const TXLSCalculator* calculator = nullptr, int32_t version = 0x0600)
      : calculator_(calculator), version_(version) {}

  // Appends a record (a CONTINUE piece comes with the number 0x003C); a BRAI
  // record becomes an area item. A record longer than a record may be marks
  // the chart unsound.
  void AddRecord(uint16_t number, std::span<const uint8_t> data);
  // Appends every record, in order: 1.
  [[nodiscard]] int32_t WriteChart(TXLSBlobList& list) const;

  // False when a record read was longer than BIFF8 allows: such a chart
  // cannot be written back as a valid substream and is dropped.
  bool Sound() const { return sound_; }
  int32_t Version() const { return version_; }
  const std::vector<std::unique_ptr<TXLSChartDataItem>>& Items() const { return items_; }

 private:
  const TXLSCalculator* calculator_;
  int32_t version_;
  bool sound_ = true;
  std::vector<std::unique_ptr<TXLSChartDataItem>> items_;
};

}  // namespace lx

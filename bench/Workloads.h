// The data of bench/compare's workloads (W1 to W4), built through our
// engine: bench/workloads.cpp saves them against the peers, the in-process
// benchmarks and the reader's round-trip tests build them too. bench/peers
// writes the same cells through the peer libraries; the rules below are
// repeated there and must stay in step:
//
//   header row   "Column 1" .. "Column N", bold
//   data row r   (1-based after the header), column c (0-based), kind c % 4:
//     0  number with a fraction   r / 8 + c
//     1  integer                  r * 10 + c
//     2  text                     "Text " + ((r * 7 + c) % 1000)   (1,000 distinct)
//     3  date serial              43831 + (r + c) % 3000 under "yyyy-mm-dd"
//
//   W1  one sheet, header + 65,535 data rows x 10 columns, cell by cell
//   W2  W1, then every data cell gets font colour red (palette 3), a solid
//       yellow fill (palette 6) and thin borders on all sides
//   W3  10 sheets of header + 20,000 data rows x 8 columns
//   W4  W1's data through one two-dimensional array per block of rows
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "lxHandle.h"
#include "lxStyle.h"

namespace lx::bench {

inline constexpr double kFirstDate = 43831;  // 2020-01-01
inline constexpr int32_t kDistinctTexts = 1000;
inline constexpr int32_t kArrayBlockRows = 1024;

// The 1,000 distinct texts, made once so every writer pays only for storing them.
inline const std::vector<TVariant>& Texts() {
  static const std::vector<TVariant> texts = [] {
    std::vector<TVariant> made;
    made.reserve(kDistinctTexts);
    for (int32_t i = 0; i < kDistinctTexts; ++i) made.emplace_back(AsciiToWide("Text " + std::to_string(i)));
    return made;
  }();
  return texts;
}

inline TVariant DataValue(int32_t r, int32_t c) {
  switch (c % 4) {
    case 0:
      return TVariant(r / 8.0 + c);
    case 1:
      return TVariant(r * 10 + c);
    case 2:
      return Texts()[static_cast<size_t>((r * 7 + c) % kDistinctTexts)];
    default:
      return TVariant(kFirstDate + (r + c) % 3000);
  }
}

inline void WriteHeader(IXLSWorksheet& sheet, int32_t columns) {
  XLSPtr<IXLSRange> cells = sheet.Cells();
  for (int32_t c = 0; c < columns; ++c)
    cells->Item(1, c + 1)->SetValue(TVariant(AsciiToWide("Column " + std::to_string(c + 1))));
  sheet.RangeOf(1, 1, columns, 1)->Font()->SetBold(true);
}

inline void FormatDateColumns(IXLSWorksheet& sheet, int32_t rows, int32_t columns) {
  for (int32_t c = 3; c < columns; c += 4) sheet.RangeOf(2, c + 1, c + 1, rows + 1)->SetNumberFormat(u"yyyy-mm-dd");
}

// Header plus `rows` data rows, one Cells.Item(...).Value per cell.
inline void FillByCell(IXLSWorksheet& sheet, int32_t rows, int32_t columns) {
  WriteHeader(sheet, columns);
  XLSPtr<IXLSRange> cells = sheet.Cells();
  for (int32_t r = 1; r <= rows; ++r)
    for (int32_t c = 0; c < columns; ++c) cells->Item(r + 1, c + 1)->SetValue(DataValue(r, c));
  FormatDateColumns(sheet, rows, columns);
}

// The same cells through one array per block of rows.
inline void FillByArray(IXLSWorksheet& sheet, int32_t rows, int32_t columns) {
  WriteHeader(sheet, columns);
  for (int32_t first = 1; first <= rows; first += kArrayBlockRows) {
    const int32_t count = std::min(kArrayBlockRows, rows - first + 1);
    TVariant block = TVariant::CreateArray(0, count, 0, columns);
    for (int32_t i = 0; i < count; ++i)
      for (int32_t c = 0; c < columns; ++c) block.SetArrayItem(i, c, DataValue(first + i, c));
    sheet.RangeOf(first + 1, 1, columns, first + count)->SetValue(block);
  }
  FormatDateColumns(sheet, rows, columns);
}

inline void StyleData(IXLSWorksheet& sheet, int32_t rows, int32_t columns) {
  XLSPtr<IXLSRange> data = sheet.RangeOf(2, 1, columns, rows + 1);
  data->Font()->SetColorIndex(3);
  XLSPtr<IXLSInterior> fill = data->Interior();
  fill->SetPattern(xlSolid);
  fill->SetColorIndex(6);
  XLSPtr<IXLSBorders> borders = data->Borders();
  borders->SetLineStyle(xlContinuous);
  borders->SetWeight(xlThin);
}

// The workbook of a workload ("W1" .. "W4") with the given number of data
// rows per sheet (its own when negative); null for another name.
inline XLSPtr<IXLSWorkBook> WorkloadBook(const std::string& workload, int32_t rows = -1) {
  if (workload != "W1" && workload != "W2" && workload != "W3" && workload != "W4") return {};
  const bool many = workload == "W3";
  if (rows < 0) rows = many ? 20000 : 65535;
  const int32_t sheets = many ? 10 : 1;
  const int32_t columns = many ? 8 : 10;
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  for (int32_t s = 0; s < sheets; ++s) {
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    sheet->SetName(AsciiToWide("Sheet" + std::to_string(s + 1)));
    if (workload == "W4")
      FillByArray(*sheet, rows, columns);
    else
      FillByCell(*sheet, rows, columns);
    if (workload == "W2") StyleData(*sheet, rows, columns);
  }
  return book;
}

}  // namespace lx::bench

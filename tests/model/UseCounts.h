// Recounts the format uses of a workbook: every cell, row record and column
// record holding a counted format index is one use of it. The format list's
// own counts must agree.
#pragma once

#include <map>
#include <string>

#include "lxHandle.h"

namespace lx::test {

// Empty when every counted format's use count equals the recount; otherwise
// a description of the first differences.
inline std::string UseCountMismatch(TXLSWorkbook& book) {
  std::map<int32_t, int32_t> uses;
  IXLSWorkSheets* sheets = book.Worksheets();
  for (int32_t i = 1; i <= sheets->Count(); ++i) {
    IXLSWorksheet* sheet = sheets->Item(i);
    sheet->CellHeap().ForEachCell([&](TXLSCellRef& cell) { ++uses[cell.FormatIndex]; });
    const TXLSRowInfoList& rows = sheet->RowInfo();
    for (int32_t r = rows.FirstRow(); r >= 0 && r <= rows.LastRow(); ++r)
      if (const TXLSRowInfo* info = rows.Find(r)) ++uses[info->FormatIndex];
    const TXLSColumnInfoList& columns = sheet->ColumnInfo();
    for (int32_t c = 0; c <= kXLSMaxColumn; ++c)
      if (const TXLSColumnInfo* info = columns.Find(c)) ++uses[info->FormatIndex];
  }
  const TlxFormatList& formats = book.Formats();
  std::string report;
  for (int32_t index = 0; index < formats.BaseIndex() + formats.Count(); ++index) {
    if (formats.IsDefault(index)) continue;
    const int32_t expected = uses.count(index) ? uses[index] : 0;
    if (formats.RefCount(index) != expected)
      report += "format " + std::to_string(index) + ": counted " + std::to_string(formats.RefCount(index)) + ", held " +
                std::to_string(expected) + "; ";
  }
  for (const auto& [index, count] : uses)
    if (!formats.Contains(index)) report += "unknown format " + std::to_string(index) + "; ";
  return report;
}

}  // namespace lx::test

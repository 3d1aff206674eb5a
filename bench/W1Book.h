// W1 of the workloads (Workloads.h) as the in-process benchmarks build it: a
// bold header and 65,535 rows of 10 columns of fractions, integers, texts
// (1,000 distinct) and dates under "yyyy-mm-dd", one Cells.Item(...).Value
// per cell.
#pragma once

#include "Workloads.h"

namespace lx::bench {

inline constexpr int32_t kW1Rows = 65535;
inline constexpr int32_t kW1Columns = 10;
// Every cell of the sheet, header included.
inline constexpr int64_t kW1Cells = int64_t{kW1Rows + 1} * kW1Columns;

inline XLSPtr<IXLSWorkBook> W1Book() { return WorkloadBook("W1", kW1Rows); }

}  // namespace lx::bench

// The interop drivers' formula lists: one formula text per line of a file,
// entered into column A of a sheet from row 1 on.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#include "lxCodePage.h"
#include "lxHandle.h"

namespace lx::test {

// Enters each non-empty line of listFile as a cell text; the number of
// lines that did not compile into a formula (each reported on stderr).
inline int EnterFormulaList(IXLSWorksheet& sheet, const char* listFile) {
  std::ifstream list(listFile);
  std::string line;
  int32_t row = 1;
  int failed = 0;
  while (std::getline(list, line)) {
    if (line.empty()) continue;
    XLSPtr<IXLSRange> cell = sheet.Cells()->Item(row, 1);
    cell->SetValue(TVariant(AnsiToWide(line)));
    if (!cell->HasFormula()) {
      std::fprintf(stderr, "row %d does not compile: %s\n", static_cast<int>(row), line.c_str());
      ++failed;
    }
    ++row;
  }
  return failed;
}

}  // namespace lx::test

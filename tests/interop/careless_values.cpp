// Writes careless.xls (BIFF8): the values a careless caller hands the engine
// (texts with unpaired surrogates, NaN and the infinities, sheet names that
// spreadsheet programs would not keep), for the peers to open.
//
// Usage: careless_values OUTDIR
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "lxHandle.h"
#include "lxRange.h"

using namespace lx;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: careless_values OUTDIR\n");
    return 2;
  }
  const std::u16string bad{u'a', 0xD800, u'b'};
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* first = book->Worksheets()->Add();
  IXLSWorksheet* second = book->Worksheets()->Add();
  first->SetName(u"Bad" + bad);
  // Each of these would be renamed by a spreadsheet program; the sheet keeps Sheet2.
  for (const std::u16string& name : {std::u16string(), std::u16string(u"'x"), std::u16string(u"x'"), first->Name()}) {
    std::u16string upper = name;
    for (char16_t& c : upper)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
    second->SetName(upper);
  }
  const double inf = std::numeric_limits<double>::infinity();
  const TVariant values[] = {TVariant(bad), TVariant(std::numeric_limits<double>::quiet_NaN()),
                             TVariant(inf), TVariant(-inf),
                             TVariant(1.5), TVariant(std::u16string{0xDC00})};
  int32_t row = 1;
  for (const TVariant& value : values) first->Cells()->Item(row++, 1)->SetValue(value);
  first->PageSetup().SetCenterHeader(bad);
  const std::u16string name = std::filesystem::path(argv[1]).u16string() + u"/careless.xls";
  const int32_t result = book->SaveAs(name, kSaveBiff8);
  if (result != 1) {
    std::fprintf(stderr, "save failed: %d\n", static_cast<int>(result));
    return 1;
  }
  return 0;
}

// Writes autofit.xls (BIFF8): 48 columns of texts of many lengths, numbers
// and dates under formats, in Arial, Times New Roman and Courier New at 8 to
// 20 points, some bold, every column fitted with Columns.AutoFit. Prints the
// fitted widths in characters, one column per line, for the LibreOffice
// comparison to set beside that program's optimal widths.
//
// Usage: autofit_columns OUTDIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "lxHandle.h"
#include "lxStyle.h"

using namespace lx;

namespace {

constexpr int32_t kColumns = 48;
constexpr int32_t kKinds = 8;

const char16_t* const kFonts[] = {u"Arial", u"Times New Roman", u"Courier New"};
const float kSizes[] = {8, 10, 11, 12, 14, 16, 20};

// The values of one kind of column, with the number format they are shown
// under (empty for General).
struct TKind {
  std::vector<TVariant> values;
  const char16_t* format;
};

TKind Kind(int32_t kind) {
  switch (kind) {
    case 0:
      return {{TVariant(u"a"), TVariant(u"Name"), TVariant(u"Total"), TVariant(u"ID")}, u""};
    case 1:
      return {{TVariant(u"Customer since"), TVariant(u"Shipping address, second line"),
               TVariant(u"Payment terms: net 30 days after invoice"), TVariant(u"Notes")},
              u""};
    case 2:
      return {{TVariant(1234.5), TVariant(0.25), TVariant(98765.432), TVariant(7.0)}, u"0.00"};
    case 3:
      return {{TVariant(1234567.891), TVariant(12.5), TVariant(999999.0)}, u"#,##0.00"};
    case 4:
      return {{TVariant(1), TVariant(42), TVariant(123456789), TVariant(31415)}, u""};
    case 5:
      return {{TVariant(43831.0), TVariant(45000.0), TVariant(36526.0)}, u"yyyy-mm-dd"};
    case 6:
      return {{TVariant(0.125), TVariant(0.5), TVariant(1.2345)}, u"0.0%"};
    default:
      return {{TVariant(u"Quarterly revenue"), TVariant(u"WWWWWWWW"), TVariant(u"iiiiiiiiiiii"),
               TVariant(u"Q3 2024 (estimate)")},
              u""};
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: autofit_columns OUTDIR\n");
    return 2;
  }
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  for (int32_t i = 0; i < kColumns; ++i) {
    const TKind kind = Kind(i % kKinds);
    const int32_t column = i + 1;
    for (size_t j = 0; j < kind.values.size(); ++j)
      sheet->Cells()->Item(static_cast<int32_t>(j) + 1, column)->SetValue(kind.values[j]);
    XLSPtr<IXLSRange> cells = sheet->RangeOf(1, column, column, static_cast<int32_t>(kind.values.size()));
    if (*kind.format) cells->SetNumberFormat(kind.format);
    XLSPtr<IXLSFont> font = cells->Font();
    font->SetName(kFonts[(i / kKinds) % 3]);
    font->SetSize(kSizes[(i * 5) % 7]);
    font->SetBold(i % 5 == 1 || i % 5 == 3);
  }
  sheet->UsedRange()->Columns()->ColumnsAutoFit(true);
  for (int32_t c = 0; c < kColumns; ++c) std::printf("%d %.2f\n", c + 1, sheet->ColumnInfo().ColumnWidth(c));
  const std::u16string name = std::filesystem::path(argv[1]).u16string() + u"/autofit.xls";
  const int32_t result = book->SaveAs(name, kSaveBiff8);
  if (result != kResultOk) {
    std::fprintf(stderr, "autofit_columns: save failed with %d\n", static_cast<int>(result));
    return 1;
  }
  return 0;
}

// Fills and formats a small sales sheet through ranges, then prints what the
// cells hold. Build with the examples (on by default) and run
// build/<dir>/examples/sales_sheet.
#include <cstdio>

#include "lxHandle.h"

using namespace lx;

int main() {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->SetName(u"Sales");

  // A header row written as one array, centred and with wider columns.
  TVariant header = TVariant::CreateArray(0, 3);
  header.SetArrayItem(0, TVariant(u"Region"));
  header.SetArrayItem(1, TVariant(u"Date"));
  header.SetArrayItem(2, TVariant(u"Amount"));
  XLSPtr<IXLSRange> titles = sheet->Range(u"A1", u"C1");
  titles->SetValue(header);
  titles->SetHorizontalAlignment(xlHAlignCenter);
  titles->SetColumnWidth(TVariant(14));

  // Detail rows, one cell at a time.
  const char16_t* regions[] = {u"North", u"South", u"East", u"West"};
  XLSPtr<IXLSRange> cells = sheet->Cells();
  for (int32_t i = 0; i < 4; ++i) {
    cells->Item(i + 2, 1)->SetValue(TVariant(regions[i]));
    cells->Item(i + 2, 2)->SetValue(TVariant::FromDate(EncodeDate(2026, 1, 5 + 7 * i)));
    cells->Item(i + 2, 3)->SetValue(TVariant(1250.5 * (i + 1)));
  }
  // Whole-column formats: cells added later in these columns inherit them.
  sheet->Range(u"B1", u"B65536")->SetNumberFormat(u"dd/mm/yyyy");
  sheet->Range(u"C1", u"C65536")->SetNumberFormat(u"#,##0.00");

  // A merged, right-aligned total line.
  XLSPtr<IXLSRange> label = sheet->Range(u"A6", u"B6");
  label->Merge();
  label->SetValue(TVariant(u"Total"));
  label->SetHorizontalAlignment(xlHAlignRight);
  cells->Item(6, 3)->SetValue(TVariant(12505.0));

  XLSPtr<IXLSRange> used = sheet->UsedRange();
  std::printf("%s: %d rows x %d columns\n", Utf16ToUtf8(sheet->Name()).c_str(), used->LastRow() + 1,
              used->LastColumn() + 1);
  for (int32_t r = 1; r <= used->LastRow() + 1; ++r) {
    for (int32_t c = 1; c <= used->LastColumn() + 1; ++c) {
      XLSPtr<IXLSRange> cell = cells->Item(r, c);
      const TVariant value = cell->Value();
      std::printf("%-22s", Utf16ToUtf8(value.ToWide()).c_str());
    }
    std::printf("\n");
  }
  std::printf("C2 number format: %s\n", Utf16ToUtf8(cells->Item(2, 3)->NumberFormat()).c_str());
  return 0;
}

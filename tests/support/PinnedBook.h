// The pinned workbook: two representative documents' worth of the bulk
// write paths together (thousands of rows in DBCELL blocks, RK/MULRK/NUMBER/
// LABELSST runs, formatted blanks, an SST spread over CONTINUE records,
// formats shared by many cells, whole-row and whole-column formats, merges,
// outline, panes and page setup on several sheets). Its saved bytes are
// pinned (biff/PinnedOutputTest.cpp), and the reader must read them back
// into the same document (read/WorkbookReadTest.cpp).
#pragma once

#include <string>

#include "lxHandle.h"
#include "lxStyle.h"

namespace lx::test {

inline std::u16string Numbered(const char* prefix, int32_t n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
  return AsciiToWide(prefix + digits);
}

// A data sheet in the shape exports produce: header, typed columns, styles
// over the whole block, a few exceptions on single cells.
inline void FillData(IXLSWorksheet& sheet) {
  sheet.SetName(u"Data");
  XLSPtr<IXLSRange> cells = sheet.Cells();
  const int32_t rows = 2500;
  const int32_t columns = 9;
  for (int32_t c = 1; c <= columns; ++c) cells->Item(1, c)->SetValue(TVariant(Numbered("Head ", c)));
  sheet.RangeOf(1, 1, columns, 1)->Font()->SetBold(true);
  for (int32_t r = 2; r <= rows; ++r) {
    for (int32_t c = 1; c <= columns; ++c) {
      TVariant value;
      switch (c % 5) {
        case 0:
          value = TVariant(r / 8.0 + c);
          break;  // RK x100 or NUMBER
        case 1:
          value = TVariant(r * 10 + c);
          break;  // integer RK
        case 2:
          value = TVariant(Numbered("Item ", (r * 7 + c) % 700));
          break;  // repeated texts
        case 3:
          value = TVariant(43831.0 + (r + c) % 3000);
          break;  // dates
        default:
          value = TVariant(1e10 + r);
          break;  // beyond RK: NUMBER
      }
      // Leave holes so rows split into several runs.
      if ((r + c) % 97 != 0) cells->Item(r, c)->SetValue(value);
    }
  }
  sheet.RangeOf(2, 4, 4, rows)->SetNumberFormat(u"yyyy-mm-dd");
  sheet.RangeOf(2, 1, 1, rows)->SetNumberFormat(u"#,##0.000");
  XLSPtr<IXLSRange> block = sheet.RangeOf(2, 1, columns, rows);
  block->Font()->SetColorIndex(3);
  block->Interior()->SetColorIndex(6);
  XLSPtr<IXLSBorders> borders = block->Borders();
  borders->SetLineStyle(xlContinuous);
  borders->SetWeight(xlThin);
  // Every 50th row stands out: italic, a different fill, a double bottom line.
  for (int32_t r = 50; r <= rows; r += 50) {
    XLSPtr<IXLSRange> row = sheet.RangeOf(r, 1, columns, r);
    row->Font()->SetItalic(true);
    row->Interior()->SetColorIndex(4 + r / 50 % 5);
    row->Borders()->Item(xlEdgeBottom)->SetLineStyle(xlDouble);
  }
  // Formatted blanks past the data: MULBLANK runs.
  sheet.RangeOf(rows + 2, 1, columns, rows + 4)->Interior()->SetColorIndex(15);
  sheet.RangeOf(1, 1, 1, 1)->SetColumnWidth(TVariant(14.0));
  sheet.RangeOf(1, 3, 3, 1)->SetColumnWidth(TVariant(22.5));
  sheet.RangeOf(100, 1, 1, 120)->EntireRow()->SetOutlineLevel(2);
  sheet.RangeOf(7, 1, 1, 7)->SetRowHeight(TVariant(28.0));
  sheet.FreezePanes(1, 0, 0, 1);
  sheet.PageSetup().SetCenterHeader(u"Pinned data");
  sheet.PageSetup().SetPrintTitleRows("$1:$1");
}

// Texts enough for several SST records, some long and some not Latin-1, and
// whole-row and whole-column formats.
inline void FillTexts(IXLSWorksheet& sheet) {
  sheet.SetName(u"Texts");
  XLSPtr<IXLSRange> cells = sheet.Cells();
  for (int32_t r = 1; r <= 3000; ++r) {
    cells->Item(r, 1)->SetValue(TVariant(Numbered("Distinct text number ", r)));
    if (r % 10 == 0) cells->Item(r, 2)->SetValue(TVariant(u"\u0416\u0443\u0440\u043d\u0430\u043b " + Numbered("", r)));
    if (r % 300 == 0) cells->Item(r, 3)->SetValue(TVariant(std::u16string(3000 + r, u'x')));
    if (r % 7 == 0) cells->Item(r, 4)->SetValue(TVariant(r % 2 == 0));
  }
  cells->Item(1, 6)->SetValue(TVariant(u"\u65e5\u672c\u8a9e"));
  sheet.Range(u"F1", u"H2")->Merge();
  sheet.Range(u"E1", u"E1")->EntireColumn()->Font()->SetBold(true);
  sheet.Range(u"A5", u"A5")->EntireRow()->Interior()->SetColorIndex(8);
  sheet.Range(u"G1", u"G1")->EntireColumn()->SetHidden(TVariant(true));
}

inline XLSPtr<TXLSWorkbook> PinnedWorkbook() {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorkSheets& sheets = *book->Worksheets();
  FillData(*sheets.Add());
  FillTexts(*sheets.Add());
  IXLSWorksheet* small = sheets.Add();
  small->SetName(u"Small");
  small->Cells()->Item(2, 2)->SetValue(TVariant(-0.5));
  small->Cells()->Item(3, 3)->SetValue(TVariant(u"last"));
  small->Protection().ProtectWithPassword("pinned");
  return book;
}

}  // namespace lx::test

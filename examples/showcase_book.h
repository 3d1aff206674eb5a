// The showcase workbook: several sheets with every kind of value and
// formatting the engine has. examples/showcase saves it in every format; the
// HTML browser check builds the same workbook to compare the pages with it.
#pragma once

#include <cstdio>
#include <string>

#include "lxHandle.h"
#include "lxHyperlinks.h"
#include "lxNames.h"
#include "lxRange.h"
#include "lxStyle.h"

namespace lx::showcase {

// Palette colour indexes (1..56) of the default palette.
inline constexpr int32_t kRed = 3;
inline constexpr int32_t kBlue = 5;
inline constexpr int32_t kYellow = 6;
inline constexpr int32_t kGreen = 10;
inline constexpr int32_t kGray = 15;

// The font, border and fill objects of a range.
inline XLSPtr<IXLSFontSlots> FontOf(const XLSPtr<IXLSRange>& range) {
  return TXLSFont::Create(TXLSRange::From(range.Get()));
}
inline XLSPtr<IXLSBordersSlots> BordersOf(const XLSPtr<IXLSRange>& range) {
  return TXLSBorders::Create(TXLSRange::From(range.Get()));
}
inline XLSPtr<IXLSInteriorSlots> InteriorOf(const XLSPtr<IXLSRange>& range) {
  return TXLSInterior::Create(TXLSRange::From(range.Get()));
}

// Texts with a five-digit number: distinct, and in row order when sorted.
inline std::u16string Numbered(const char* prefix, int32_t n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%05d", prefix, static_cast<int>(n));
  return AsciiToWide(text);
}

inline void FillValues(IXLSWorksheet& sheet) {
  sheet.SetName(u"Values");
  auto cell = [&](int32_t row, int32_t column) { return sheet.Cells()->Item(row, column); };
  cell(1, 1)->SetValue(TVariant(u"Kind"));
  cell(1, 2)->SetValue(TVariant(u"Value"));
  FontOf(sheet.Range(u"A1", u"B1"))->SetBold(true);

  cell(2, 1)->SetValue(TVariant(u"Integer"));
  cell(2, 2)->SetValue(TVariant(int32_t{42}));
  cell(3, 1)->SetValue(TVariant(u"Fraction"));
  cell(3, 2)->SetValue(TVariant(2.5));
  cell(4, 1)->SetValue(TVariant(u"Negative"));
  cell(4, 2)->SetValue(TVariant(-1234.5678));
  cell(5, 1)->SetValue(TVariant(u"Large"));
  cell(5, 2)->SetValue(TVariant(1e300));
  cell(6, 1)->SetValue(TVariant(u"Date"));
  cell(6, 2)->SetValue(TVariant::FromDate(45000.0));  // 15 March 2023
  cell(6, 2)->SetNumberFormat(u"yyyy-mm-dd");
  cell(7, 1)->SetValue(TVariant(u"True"));
  cell(7, 2)->SetValue(TVariant(true));
  cell(8, 1)->SetValue(TVariant(u"False"));
  cell(8, 2)->SetValue(TVariant(false));
  cell(9, 1)->SetValue(TVariant(u"Latin"));
  cell(9, 2)->SetValue(TVariant(u"Fa\u00e7ade, d\u00e9j\u00e0 vu, na\u00efve"));
  cell(10, 1)->SetValue(TVariant(u"Cyrillic"));
  cell(10, 2)->SetValue(TVariant(u"\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451"));
  cell(11, 1)->SetValue(TVariant(u"CJK"));
  cell(11, 2)->SetValue(TVariant(u"\u65e5\u672c\u8a9e\u3068\u4e2d\u6587"));
  // 4,200 Cyrillic letters are 8,400 bytes: more than one record holds.
  cell(12, 1)->SetValue(TVariant(u"Long text"));
  cell(12, 2)->SetValue(TVariant(std::u16string(4200, u'\u0416') + u"!"));
  cell(13, 1)->SetValue(TVariant(u"Blank with fill"));
  InteriorOf(cell(13, 2))->SetColorIndex(kYellow);

  cell(14, 1)->SetValue(TVariant(u"Built-in formats"));
  cell(14, 2)->SetValue(TVariant(1234.5));
  cell(14, 2)->SetNumberFormat(u"#,##0.00");
  cell(14, 3)->SetValue(TVariant(0.25));
  cell(14, 3)->SetNumberFormat(u"0%");
  cell(14, 4)->SetValue(TVariant(12345.678));
  cell(14, 4)->SetNumberFormat(u"0.00E+00");
  cell(15, 1)->SetValue(TVariant(u"Custom format"));
  cell(15, 2)->SetValue(TVariant(3.14159));
  cell(15, 2)->SetNumberFormat(u"0.000\" units\"");
  sheet.Range(u"A1", u"A1")->SetColumnWidth(TVariant(18.0));
  sheet.Range(u"B1", u"B1")->SetColumnWidth(TVariant(24.0));
  // Comments: one in Cyrillic, one over several lines.
  (void)cell(10, 2)->AddComment(u"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440");
  (void)cell(2, 2)->AddComment(u"The answer\nto everything\nin three lines");
}

inline void FillFormats(IXLSWorksheet& sheet) {
  sheet.SetName(u"Formats");
  auto cell = [&](int32_t row, int32_t column) { return sheet.Cells()->Item(row, column); };

  cell(1, 1)->SetValue(TVariant(u"Times 14 bold red"));
  auto font = FontOf(cell(1, 1));
  font->SetName(u"Times New Roman");
  font->SetSize(14);
  font->SetBold(true);
  font->SetColorIndex(kRed);

  cell(2, 1)->SetValue(TVariant(u"Italic underlined blue"));
  font = FontOf(cell(2, 1));
  font->SetItalic(true);
  font->SetUnderline(xlUnderlineStyleSingle);
  font->SetColorIndex(kBlue);

  cell(3, 1)->SetValue(TVariant(u"Solid yellow fill"));
  auto fill = InteriorOf(cell(3, 1));
  fill->SetColorIndex(kYellow);
  fill->SetPattern(xlSolid);

  cell(4, 1)->SetValue(TVariant(u"Gray 50% pattern"));
  fill = InteriorOf(cell(4, 1));
  fill->SetPattern(xlGray50);
  fill->SetPatternColorIndex(kGray);
  fill->SetColorIndex(kGreen);

  cell(5, 1)->SetValue(TVariant(u"Thin green box"));
  auto borders = BordersOf(cell(5, 1));
  borders->SetLineStyle(xlContinuous);
  borders->SetWeight(xlThin);
  borders->SetColorIndex(kGreen);

  cell(6, 1)->SetValue(TVariant(u"Double bottom line"));
  BordersOf(cell(6, 1))->Item(xlEdgeBottom)->SetLineStyle(xlDouble);

  cell(7, 1)->SetValue(TVariant(u"Centred at the top"));
  cell(7, 1)->SetHorizontalAlignment(xlHAlignCenter);  // centre
  cell(7, 1)->SetVerticalAlignment(xlVAlignTop);
  cell(8, 1)->SetValue(TVariant(u"Wrapped text that needs more than one line"));
  cell(8, 1)->SetWrapText(TVariant(true));
  cell(9, 1)->SetValue(TVariant(u"Rotated"));
  cell(9, 1)->SetOrientation(TVariant(int32_t{45}));
  cell(10, 1)->SetValue(TVariant(u"Indented"));
  cell(10, 1)->SetHorizontalAlignment(xlHAlignLeft);
  cell(10, 1)->SetIndentLevel(3);

  // Merged areas: a block and a title across three columns.
  XLSPtr<IXLSRange> block = sheet.Range(u"A12", u"C13");
  block->Merge();
  block->SetHorizontalAlignment(xlHAlignCenter);
  cell(12, 1)->SetValue(TVariant(u"Merged block"));
  XLSPtr<IXLSRange> across = sheet.Range(u"E1", u"G1");
  across->Merge();
  cell(1, 5)->SetValue(TVariant(u"Across"));

  // Sizes, hidden rows and columns.
  sheet.Range(u"A1", u"A1")->SetColumnWidth(TVariant(30.0));
  sheet.Range(u"B1", u"B1")->SetColumnWidth(TVariant(12.0));
  sheet.Range(u"D1", u"D1")->EntireColumn()->SetHidden(TVariant(true));
  cell(15, 1)->SetValue(TVariant(u"Tall row"));
  cell(15, 1)->SetRowHeight(TVariant(30.0));
  cell(16, 1)->SetValue(TVariant(u"Hidden row"));
  cell(16, 1)->EntireRow()->SetHidden(TVariant(true));

  // Outline: rows 18-20 and columns H:I one level in.
  for (int32_t row = 18; row <= 20; ++row) cell(row, 1)->SetValue(TVariant(row * 10));
  sheet.Range(u"A18", u"A20")->EntireRow()->SetOutlineLevel(2);
  cell(1, 8)->SetValue(TVariant(u"Detail H"));
  cell(1, 9)->SetValue(TVariant(u"Detail I"));
  sheet.Range(u"H1", u"I1")->EntireColumn()->SetColumnsOutlineLevel(2);

  // A protected sheet: cells can be looked at but not changed.
  sheet.Protection().ProtectWithPassword("showcase");
}

inline void FillStrings(IXLSWorksheet& sheet) {
  sheet.SetName(u"Strings");
  // 20,000 distinct texts fill many SST records and their CONTINUE records.
  // They take two columns, as BIFF5 readers stop at row 16,384.
  for (int32_t row = 1; row <= 10000; ++row) {
    sheet.Cells()->Item(row, 1)->SetValue(TVariant(Numbered("Text ", row)));
    sheet.Cells()->Item(row, 2)->SetValue(TVariant(Numbered("Text ", 10000 + row)));
    sheet.Cells()->Item(row, 3)->SetValue(TVariant(row));
  }
  sheet.FreezePanes(1, 0, 0, 1);  // keep the first row in view

  // Printing: margins in inches, header and footer, the area to print and the
  // row repeated at the top of every page.
  TXLSPageSetup& page = sheet.PageSetup();
  page.SetLeftMargin(0.5);
  page.SetRightMargin(0.5);
  page.SetTopMargin(0.8);
  page.SetCenterHeader(u"Showcase strings");
  page.SetRightFooter(u"Page &P of &N");
  page.SetPrintArea("A1:C200");
  page.SetPrintTitleRows("$1:$1");
}

inline void FillNames(TXLSWorkbook& book, IXLSWorksheet& sheet) {
  sheet.SetName(u"Names");
  auto cell = [&](int32_t row, int32_t column) { return sheet.Cells()->Item(row, column); };
  cell(1, 1)->SetValue(TVariant(u"Item"));
  cell(1, 2)->SetValue(TVariant(u"Amount"));
  const char16_t* items[] = {u"Apples", u"Pears", u"Plums", u"Figs"};
  for (int32_t i = 0; i < 4; ++i) {
    cell(2 + i, 1)->SetValue(TVariant(items[i]));
    cell(2 + i, 2)->SetValue(TVariant(3 + i));
  }
  cell(1, 4)->SetValue(TVariant(0.2));
  cell(2, 4)->SetValue(TVariant(10));
  cell(3, 4)->SetValue(TVariant(100));

  // Workbook-level names, one of them hidden, and a name of this sheet only
  // that formulas here see in place of the workbook's name of the same text.
  XLSPtr<IXLSNames> names = book.Names();
  names->Add(u"Amounts", u"=Names!$B$2:$B$5");
  names->Add(u"TaxRate", u"=Names!$D$1");
  names->Add(u"Bonus", u"=Names!$D$3");
  names->Add(u"Secret", u"=Names!$A$1", false);
  names->AddLocal(&sheet, u"Bonus", u"=Names!$D$2", true);
  cell(7, 1)->SetValue(TVariant(u"Total"));
  cell(7, 2)->SetValue(TVariant(u"=SUM(Amounts)"));
  cell(8, 1)->SetValue(TVariant(u"Tax"));
  cell(8, 2)->SetValue(TVariant(u"=SUM(Amounts)*TaxRate"));
  cell(9, 1)->SetValue(TVariant(u"Bonus + 1"));
  cell(9, 2)->SetValue(TVariant(u"=Bonus+1"));

  // One hyperlink of each kind; each writes its text into its cell.
  XLSPtr<IXLSHyperlinks> links = sheet.Hyperlinks();
  links->Add(sheet.Range(u"F1", u"F1").Get(), u"https://example.org/", u"Example site", u"Opens the site", u"");
  links->Add(sheet.Range(u"F2", u"F2").Get(), u"mailto:someone@example.org", u"", u"", u"");
  links->Add(sheet.Range(u"F3", u"F3").Get(), u"C:\\Reports\\summary.xls", u"Summary file", u"", u"");
  links->Add(sheet.Range(u"F4", u"F4").Get(), u"\\\\server\\share\\book.xls", u"Shared book", u"", u"");
  links->Add(sheet.Range(u"F5", u"F5").Get(), u"", u"Go to Values", u"", u"Values!B2");
  sheet.Range(u"F1", u"F1")->SetColumnWidth(TVariant(28.0));

  TXLSPageSetup& page = sheet.PageSetup();
  page.SetPrintArea("A1:F9");
  page.SetPrintTitleRows("$1:$1");
}

// Fills an empty workbook: Values (active), Formats, Strings, a hidden sheet
// and Names.
inline void BuildShowcase(TXLSWorkbook& book) {
  IXLSWorkSheets& sheets = *book.Worksheets();
  FillValues(*sheets.Add());
  FillFormats(*sheets.Add());
  FillStrings(*sheets.Add());
  IXLSWorksheet* hidden = sheets.Add();
  hidden->SetName(u"Hidden");
  hidden->Cells()->Item(1, 1)->SetValue(TVariant(u"You found the hidden sheet"));
  hidden->SetVisible(TVariant(false));
  FillNames(book, *sheets.Add());
}

}  // namespace lx::showcase

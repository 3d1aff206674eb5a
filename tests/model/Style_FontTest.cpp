// The font object: colour, size and underline conversions, writes that change
// one attribute, and fonts on whole rows and whole columns.
#include <gtest/gtest.h>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStyle.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  // 0-based corners.
  XLSPtr<IXLSRange> Rect(int32_t r1, int32_t c1, int32_t r2, int32_t c2) {
    return TXLSRange::Create(sheet, r1, c1, r2, c2);
  }
  XLSPtr<IXLSFont> Font(int32_t r1, int32_t c1, int32_t r2, int32_t c2) { return Rect(r1, c1, r2, c2)->Font(); }
  TlxFormatList& Formats() { return book->Formats(); }
  // The font index in effect at a position.
  int32_t FontAt(int32_t row, int32_t column) { return Formats().GetXFFont(sheet->EffectiveFormat(row, column)); }
};

TEST(StyleFont, NewWorkbookReadsArialTenAutomatic) {
  Book b;
  auto font = b.Font(0, 0, 0, 0);
  EXPECT_EQ(font->Name(), u"Arial");
  EXPECT_DOUBLE_EQ(font->Size(), 10.0);
  EXPECT_EQ(font->ColorIndex(), xlAutomatic);
  EXPECT_FALSE(font->Bold());
  EXPECT_EQ(font->Underline(), xlNone);
  // Reading creates nothing.
  EXPECT_EQ(b.sheet->CellHeap().CellCount(), 0);
}

TEST(StyleFont, ColourByRgbGoesToTheNearestPaletteIndex) {
  Book b;
  auto font = b.Font(1, 1, 2, 2);
  font->SetColor(0x000000FF);  // pure red
  EXPECT_EQ(b.Formats().Fonts().GetFontColor(b.FontAt(2, 2)), 10);
  EXPECT_EQ(font->ColorIndex(), 3);
  EXPECT_EQ(font->Color(), 0x000000FFu);
  // Almost blue lands on the blue entry.
  font->SetColor(0x00FE0001);
  EXPECT_EQ(font->ColorIndex(), 5);
  EXPECT_EQ(font->Color(), 0x00FF0000u);
}

TEST(StyleFont, ColourByIndexStoresPaletteEntriesAndIgnoresOthers) {
  Book b;
  auto font = b.Font(0, 0, 0, 0);
  TXLSFontList& fonts = b.Formats().Fonts();
  font->SetColorIndex(56);
  EXPECT_EQ(fonts.GetFontColor(b.FontAt(0, 0)), 63);
  EXPECT_EQ(font->ColorIndex(), 56);
  font->SetColorIndex(57);  // not a palette colour
  font->SetColorIndex(-1);
  EXPECT_EQ(font->ColorIndex(), 56);
  font->SetColorIndex(1);
  EXPECT_EQ(fonts.GetFontColor(b.FontAt(0, 0)), 8);
  EXPECT_EQ(font->Color(), 0u);  // black
  font->SetColorIndex(xlAutomatic);
  EXPECT_EQ(font->ColorIndex(), xlAutomatic);
  EXPECT_EQ(fonts.GetFontColor(b.FontAt(0, 0)), xlAutomatic);
  font->SetColorIndex(0);
  EXPECT_EQ(font->ColorIndex(), xlNone);
  font->SetColorIndex(7);
  font->SetColorIndex(xlNone);
  EXPECT_EQ(fonts.GetFontColor(b.FontAt(0, 0)), 0);
  EXPECT_EQ(font->ColorIndex(), xlNone);
}

TEST(StyleFont, SizeRoundsToWholeTwipsTiesToEven) {
  Book b;
  auto font = b.Font(0, 0, 0, 0);
  TXLSFontList& fonts = b.Formats().Fonts();
  font->SetSize(10.3f);
  EXPECT_DOUBLE_EQ(fonts.GetFontSize(b.FontAt(0, 0)) * 20.0, 206.0);
  EXPECT_DOUBLE_EQ(font->Size(), 10.3);
  font->SetSize(10.125f);  // 202.5 twips
  EXPECT_DOUBLE_EQ(font->Size() * 20.0, 202.0);
  font->SetSize(10.375f);  // 207.5 twips
  EXPECT_DOUBLE_EQ(font->Size() * 20.0, 208.0);
}

TEST(StyleFont, UnderlineConversionsBothWays) {
  Book b;
  auto font = b.Font(0, 0, 0, 0);
  TXLSFontList& fonts = b.Formats().Fonts();
  const struct {
    int32_t written;
    int32_t stored;
  } cases[] = {{xlUnderlineStyleSingle, 1},
               {xlUnderlineStyleDouble, 2},
               {xlUnderlineStyleSingleAccounting, 0x21},
               {xlUnderlineStyleDoubleAccounting, 0x22},
               {xlNone, 0}};
  for (const auto& c : cases) {
    font->SetUnderline(c.written);
    EXPECT_EQ(fonts.GetFontUnderline(b.FontAt(0, 0)), c.stored) << c.written;
    EXPECT_EQ(font->Underline(), c.written);
  }
  font->SetUnderline(xlUnderlineStyleDouble);
  font->SetUnderline(3);  // not an underline kind
  font->SetUnderline(1);
  EXPECT_EQ(font->Underline(), xlUnderlineStyleDouble);
}

TEST(StyleFont, EachWriteChangesOneAttributeOfEveryCell) {
  Book b;
  auto font = b.Font(0, 0, 1, 2);
  font->SetName(u"Courier New");
  font->SetBold(true);
  font->SetItalic(true);
  font->SetStrikethrough(true);
  font->SetOutlineFont(true);
  font->SetShadow(true);
  font->SetSuperscript(true);
  font->SetCharset(204);
  font->SetFontFamily(3);
  font->SetSize(12.0f);
  font->SetColorIndex(3);
  font->SetBold(false);
  for (int32_t r = 0; r <= 1; ++r)
    for (int32_t c = 0; c <= 2; ++c) EXPECT_EQ(b.FontAt(r, c), b.FontAt(0, 0));
  EXPECT_EQ(font->Name(), u"Courier New");
  EXPECT_FALSE(font->Bold());
  EXPECT_TRUE(font->Italic());
  EXPECT_TRUE(font->Strikethrough());
  EXPECT_TRUE(font->OutlineFont());
  EXPECT_TRUE(font->Shadow());
  EXPECT_TRUE(font->Superscript());
  EXPECT_FALSE(font->Subscript());
  EXPECT_EQ(font->Charset(), 204);
  EXPECT_EQ(font->FontFamily(), 3);
  EXPECT_DOUBLE_EQ(font->Size(), 12.0);
  EXPECT_EQ(font->ColorIndex(), 3);
  // Outside the range nothing changed.
  EXPECT_EQ(b.sheet->CellHeap().FindCell(2, 0), nullptr);
  EXPECT_EQ(b.FontAt(0, 3), 0);
  // Cells with different fonts keep their other attributes.
  b.Font(0, 0, 0, 0)->SetUnderline(xlUnderlineStyleSingle);
  b.Font(0, 0, 0, 1)->SetItalic(false);
  EXPECT_EQ(b.Font(0, 0, 0, 0)->Underline(), xlUnderlineStyleSingle);
  EXPECT_EQ(b.Font(0, 1, 0, 1)->Underline(), xlNone);
  EXPECT_FALSE(b.Font(0, 1, 0, 1)->Italic());
  EXPECT_TRUE(b.Font(0, 2, 0, 2)->Italic());
}

TEST(StyleFont, WholeColumnsAndWholeRowsGoThroughTheirRecords) {
  Book b;
  TXLSCellHeap& cells = b.sheet->CellHeap();
  cells.GetCell(4, 1);                         // B5 exists before the write
  b.Font(0, 1, kXLSMaxRow, 1)->SetBold(true);  // column B
  EXPECT_EQ(cells.CellCount(), 1);
  EXPECT_TRUE(b.Formats().Fonts().GetFontBold(b.Formats().GetXFFont(b.sheet->ColumnInfo().Find(1)->FormatIndex)));
  EXPECT_TRUE(b.Font(4, 1, 4, 1)->Bold());
  EXPECT_TRUE(b.Font(30000, 1, 30000, 1)->Bold());  // through the column record
  EXPECT_FALSE(b.Font(4, 2, 4, 2)->Bold());
  cells.GetCell(100, 1);
  EXPECT_TRUE(b.Font(100, 1, 100, 1)->Bold());  // a later cell inherits it

  b.Font(6, 0, 6, kXLSMaxColumn)->SetItalic(true);  // row 7
  EXPECT_TRUE(b.sheet->RowInfo().Find(6)->HasRowFormat);
  EXPECT_TRUE(b.Font(6, 200, 6, 200)->Italic());
  EXPECT_FALSE(b.Font(7, 200, 7, 200)->Italic());
  // Where the row crosses the bold column, both apply.
  EXPECT_TRUE(b.Font(6, 1, 6, 1)->Italic());
  EXPECT_TRUE(b.Font(6, 1, 6, 1)->Bold());
}

TEST(StyleFont, EveryRangeViewHandsOutAFontOverItsCells) {
  Book b;
  auto range = b.Rect(2, 2, 3, 3);
  range->EntireRow()->Font()->SetItalic(true);
  EXPECT_TRUE(b.Font(2, 200, 2, 200)->Italic());
  range->Columns()->Font()->SetUnderline(xlUnderlineStyleSingle);
  EXPECT_EQ(b.Font(3, 3, 3, 3)->Underline(), xlUnderlineStyleSingle);
  EXPECT_EQ(b.Font(4, 3, 4, 3)->Underline(), xlNone);
  // The font object keeps its range alive; the range's own font methods
  // are the same operations.
  XLSPtr<IXLSFont> font = b.Rect(5, 5, 5, 5)->Font();
  font->SetBold(true);
  XLSPtr<IXLSRange> cell = b.Rect(5, 5, 5, 5);
  TXLSRange* plain = TXLSRange::From(cell.Get());
  EXPECT_TRUE(plain->FontBold());
  plain->SetFontName(u"Tahoma");
  EXPECT_EQ(font->Name(), u"Tahoma");
}

}  // namespace
}  // namespace lx

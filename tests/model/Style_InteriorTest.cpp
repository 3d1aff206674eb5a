// The interior object: pattern table, colour indexes and the orderings of
// pattern, fill colour and pattern colour writes, and fills of whole rows and
// whole columns.
#include <gtest/gtest.h>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStyle.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSInterior> Interior(int32_t r1, int32_t c1, int32_t r2, int32_t c2) {
    return TXLSRange::Create(sheet, r1, c1, r2, c2)->Interior();
  }
  TXLSXFFields FieldsAt(int32_t row, int32_t column) {
    int32_t format = sheet->EffectiveFormat(row, column);
    if (format == 0) format = TlxFormatList::kDefaultCellFormat;
    return TXLSXFFields::Parse(book->Formats().GetKey(format));
  }
  int32_t Foreground(int32_t r, int32_t c) { return FieldsAt(r, c).PatternColors & 0x7F; }
  int32_t Background(int32_t r, int32_t c) { return (FieldsAt(r, c).PatternColors >> 7) & 0x7F; }
};

TEST(StyleInterior, PatternTableBothWays) {
  Book b;
  auto fill = b.Interior(0, 0, 0, 0);
  EXPECT_EQ(fill->Pattern(), xlNone);
  const struct {
    int32_t written;
    int32_t stored;
    int32_t read;
  } cases[] = {{xlSolid, 1, xlSolid},
               {xlAutomatic, 1, xlSolid},
               {xlGray50, 2, xlGray50},
               {xlGray75, 3, xlGray75},
               {xlGray25, 4, xlGray25},
               {xlHorizontal, 5, xlHorizontal},
               {xlVertical, 6, xlVertical},
               {xlDown, 7, xlDown},
               {xlUp, 8, xlUp},
               {9, 9, 9},
               {18, 18, 18},
               {xlNone, 0, xlNone},
               {19, 0, xlNone},
               {2, 0, xlNone},
               {-4127, 0, xlNone}};
  for (const auto& c : cases) {
    fill->SetPattern(xlGray50);
    fill->SetPattern(c.written);
    EXPECT_EQ(b.FieldsAt(0, 0).Pattern, c.stored) << c.written;
    EXPECT_EQ(fill->Pattern(), c.read) << c.written;
  }
}

TEST(StyleInterior, ColourIndexesAndTheAutomaticColours) {
  Book b;
  auto fill = b.Interior(0, 0, 0, 0);
  fill->SetColorIndex(xlAutomatic);
  EXPECT_EQ(b.Foreground(0, 0), 65);
  EXPECT_EQ(fill->ColorIndex(), xlAutomatic);
  fill->SetColorIndex(56);
  EXPECT_EQ(b.Foreground(0, 0), 63);
  EXPECT_EQ(fill->ColorIndex(), 56);
  fill->SetColorIndex(57);  // ignored
  fill->SetColorIndex(-4104);
  EXPECT_EQ(fill->ColorIndex(), 56);
  fill->SetPatternColorIndex(xlAutomatic);
  EXPECT_EQ(b.Background(0, 0), 64);
  EXPECT_EQ(fill->PatternColorIndex(), xlAutomatic);
  fill->SetColorIndex(xlNone);  // removes the fill
  EXPECT_EQ(fill->Pattern(), xlNone);
  EXPECT_EQ(fill->ColorIndex(), xlNone);
  EXPECT_EQ(fill->PatternColorIndex(), xlNone);
  fill->SetColor(0x0000FF00);  // green, index 4
  EXPECT_EQ(fill->ColorIndex(), 4);
  EXPECT_EQ(fill->Color(), 0x0000FF00u);
  fill->SetPatternColor(0x00FF0000);  // blue, index 5
  EXPECT_EQ(fill->PatternColorIndex(), 5);
  EXPECT_EQ(fill->PatternColor(), 0x00FF0000u);
  fill->SetPatternColorIndex(0);
  EXPECT_EQ(fill->Pattern(), xlNone);
}

TEST(StyleInterior, OrderOfPatternAndColourWrites) {
  Book b;
  // Colour, then pattern, then colour: the first colour draws the pattern.
  auto first = b.Interior(0, 0, 0, 0);
  first->SetColorIndex(10);
  EXPECT_EQ(first->Pattern(), xlSolid);
  EXPECT_EQ(first->ColorIndex(), 10);
  first->SetPattern(xlGray50);
  EXPECT_EQ(first->PatternColorIndex(), 10);
  first->SetColorIndex(3);
  EXPECT_EQ(first->ColorIndex(), 3);
  EXPECT_EQ(first->PatternColorIndex(), 10);
  EXPECT_EQ(first->Pattern(), xlGray50);
  EXPECT_EQ(b.Foreground(0, 0), 17);
  EXPECT_EQ(b.Background(0, 0), 10);
  // Back to solid: the fill colour becomes the foreground.
  first->SetPattern(xlSolid);
  EXPECT_EQ(first->ColorIndex(), 3);
  EXPECT_EQ(first->PatternColorIndex(), 10);

  // Pattern first: the colours are the automatic ones until set.
  auto second = b.Interior(1, 0, 1, 0);
  second->SetPattern(xlUp);
  EXPECT_EQ(second->ColorIndex(), xlAutomatic);
  second->SetColorIndex(6);
  second->SetPatternColorIndex(7);
  EXPECT_EQ(second->ColorIndex(), 6);
  EXPECT_EQ(second->PatternColorIndex(), 7);
  EXPECT_EQ(second->Pattern(), xlUp);

  // Pattern colour on an unfilled cell makes a solid fill of the default.
  auto third = b.Interior(2, 0, 2, 0);
  third->SetPatternColorIndex(5);
  EXPECT_EQ(third->Pattern(), xlSolid);
  EXPECT_EQ(third->PatternColorIndex(), 5);
  EXPECT_EQ(third->ColorIndex(), xlAutomatic);
}

TEST(StyleInterior, WholeColumnsAndWholeRows) {
  Book b;
  TXLSCellHeap& cells = b.sheet->CellHeap();
  cells.GetCell(3, 0);
  b.Interior(0, 0, kXLSMaxRow, 0)->SetColorIndex(6);  // column A
  EXPECT_EQ(cells.CellCount(), 1);
  EXPECT_EQ(b.Interior(3, 0, 3, 0)->ColorIndex(), 6);
  EXPECT_EQ(b.Interior(60000, 0, 60000, 0)->ColorIndex(), 6);
  EXPECT_EQ(b.Interior(3, 1, 3, 1)->ColorIndex(), xlNone);
  b.Interior(9, 0, 9, kXLSMaxColumn)->SetPattern(xlGray25);  // row 10
  EXPECT_EQ(b.Interior(9, 77, 9, 77)->Pattern(), xlGray25);
  // Where the row crosses the filled column the colour stays.
  EXPECT_EQ(b.Interior(9, 0, 9, 0)->Pattern(), xlGray25);
  EXPECT_EQ(b.Interior(9, 0, 9, 0)->PatternColorIndex(), 6);
}

}  // namespace
}  // namespace lx

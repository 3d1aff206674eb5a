// Borders: the sides each edge writes, the neighbour rules, edge reads from
// both cells of a side, line style and weight combinations, colours, and
// borders on whole rows and whole columns.
#include <gtest/gtest.h>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStyle.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSBorders> Borders(int32_t r1, int32_t c1, int32_t r2, int32_t c2) {
    return TXLSRange::Create(sheet, r1, c1, r2, c2)->Borders();
  }
  XLSPtr<IXLSBorder> Edge(int32_t r1, int32_t c1, int32_t r2, int32_t c2, int32_t edge) {
    return Borders(r1, c1, r2, c2)->Item(edge);
  }
  // The stored fields of the format in effect at a position.
  TXLSXFFields FieldsAt(int32_t row, int32_t column) {
    int32_t format = sheet->EffectiveFormat(row, column);
    if (format == 0) format = TlxFormatList::kDefaultCellFormat;
    return TXLSXFFields::Parse(book->Formats().GetKey(format));
  }
  int32_t Left(int32_t r, int32_t c) { return FieldsAt(r, c).Border1 & 0xF; }
  int32_t Right(int32_t r, int32_t c) { return (FieldsAt(r, c).Border1 >> 4) & 0xF; }
  int32_t Top(int32_t r, int32_t c) { return (FieldsAt(r, c).Border1 >> 8) & 0xF; }
  int32_t Bottom(int32_t r, int32_t c) { return (FieldsAt(r, c).Border1 >> 12) & 0xF; }
  int32_t TopColor(int32_t r, int32_t c) { return FieldsAt(r, c).Border2 & 0x7F; }
};

// BIFF line codes.
constexpr int32_t kThin = 1;
constexpr int32_t kDouble = 6;

TEST(StyleBorders, TopEdgeTakesTheBottomLinesOffTheRowAbove) {
  Book b;
  b.Edge(0, 0, 0, 3, xlEdgeBottom)->SetLineStyle(xlDouble);  // A1:D1
  ASSERT_EQ(b.Bottom(0, 1), kDouble);
  b.Edge(1, 1, 2, 2, xlEdgeTop)->SetLineStyle(xlContinuous);  // B2:C3
  EXPECT_EQ(b.Top(1, 1), kThin);
  EXPECT_EQ(b.Top(1, 2), kThin);
  EXPECT_EQ(b.Bottom(0, 1), 0);
  EXPECT_EQ(b.Bottom(0, 2), 0);
  // Outside the edge's columns the lines stay; the rows below are untouched.
  EXPECT_EQ(b.Bottom(0, 0), kDouble);
  EXPECT_EQ(b.Bottom(0, 3), kDouble);
  EXPECT_EQ(b.Top(2, 1), 0);
  EXPECT_EQ(b.sheet->CellHeap().FindCell(2, 1), nullptr);
  EXPECT_EQ(b.Edge(1, 1, 1, 1, xlEdgeTop)->LineStyle(), xlContinuous);
}

TEST(StyleBorders, EachOuterEdgeClearsItsNeighbourSide) {
  Book b;
  b.Borders(0, 0, 4, 4)->SetLineStyle(xlContinuous);  // A1:E5, every side
  b.Edge(1, 1, 3, 3, xlEdgeLeft)->SetLineStyle(xlDouble);
  b.Edge(1, 1, 3, 3, xlEdgeRight)->SetLineStyle(xlDouble);
  b.Edge(1, 1, 3, 3, xlEdgeBottom)->SetLineStyle(xlDouble);
  for (int32_t r = 1; r <= 3; ++r) {
    EXPECT_EQ(b.Left(r, 1), kDouble);
    EXPECT_EQ(b.Right(r, 0), 0);
    EXPECT_EQ(b.Right(r, 3), kDouble);
    EXPECT_EQ(b.Left(r, 4), 0);
    EXPECT_EQ(b.Left(r, 2), kThin);  // inside sides keep their lines
  }
  for (int32_t c = 1; c <= 3; ++c) {
    EXPECT_EQ(b.Bottom(3, c), kDouble);
    EXPECT_EQ(b.Top(4, c), 0);
  }
  EXPECT_EQ(b.Top(4, 0), kThin);
  EXPECT_EQ(b.Right(0, 0), kThin);
}

TEST(StyleBorders, EdgeReadsTheNeighbourSideFirst) {
  Book b;
  b.Edge(0, 1, 0, 1, xlEdgeBottom)->SetLineStyle(xlDouble);  // B1
  b.Edge(0, 1, 0, 1, xlEdgeBottom)->SetColorIndex(5);
  auto top = b.Edge(1, 1, 1, 1, xlEdgeTop);  // B2 has no line of its own
  EXPECT_EQ(top->LineStyle(), xlDouble);
  EXPECT_EQ(top->Weight(), xlThick);
  EXPECT_EQ(top->ColorIndex(), 5);
  EXPECT_EQ(top->Color(), 0x00FF0000u);
  EXPECT_EQ(b.Borders(1, 1, 2, 2)->LineStyle(), xlDouble);  // the borders object reads the top edge
  EXPECT_EQ(b.Edge(1, 1, 1, 1, xlAround)->LineStyle(), xlDouble);
  // With lines on both sides, the neighbour's wins.
  b.Edge(1, 1, 1, 1, xlEdgeTop)->SetLineStyle(xlContinuous);  // takes B1's line off
  EXPECT_EQ(b.Bottom(0, 1), 0);
  b.sheet->SetCellFormat(0, 1, b.book->Formats().SetXFBorderLineStyle(0, kXFEdgeBottom, xlDot, false));
  EXPECT_EQ(b.Top(1, 1), kThin);
  EXPECT_EQ(top->LineStyle(), xlDot);
  // A neighbour whose format has no borders does not hide the own side.
  Book c;
  c.sheet->CellHeap().GetCell(0, 1);
  c.Edge(1, 1, 1, 1, xlEdgeTop)->SetWeight(xlMedium);
  TXLSRange::Create(c.sheet, 0, 1, 0, 1)->Font()->SetBold(true);
  EXPECT_EQ(c.Edge(1, 1, 1, 1, xlEdgeTop)->LineStyle(), xlContinuous);
  EXPECT_EQ(c.Edge(1, 1, 1, 1, xlEdgeTop)->Weight(), xlMedium);
  // The other edges look the other way.
  c.Edge(5, 5, 5, 5, xlEdgeRight)->SetLineStyle(xlDot);  // F6
  EXPECT_EQ(c.Edge(5, 6, 5, 6, xlEdgeLeft)->LineStyle(), xlDot);
  c.Edge(8, 0, 8, 0, xlEdgeTop)->SetLineStyle(xlDash);  // A9
  EXPECT_EQ(c.Edge(6, 0, 7, 0, xlEdgeBottom)->LineStyle(), xlDash);
  // Nothing anywhere: the defaults.
  auto none = c.Edge(20, 20, 20, 20, xlEdgeLeft);
  EXPECT_EQ(none->LineStyle(), xlNone);
  EXPECT_EQ(none->Weight(), xlThin);
  EXPECT_EQ(none->ColorIndex(), xlNone);
}

TEST(StyleBorders, InsideEdgesNeedTwoColumnsOrTwoRows) {
  Book b;
  b.Edge(1, 1, 3, 1, xlInsideVertical)->SetLineStyle(xlContinuous);    // B2:B4
  b.Edge(1, 3, 1, 5, xlInsideHorizontal)->SetLineStyle(xlContinuous);  // D2:F2
  EXPECT_EQ(b.sheet->CellHeap().CellCount(), 0);
  EXPECT_EQ(b.Edge(1, 1, 3, 1, xlInsideVertical)->LineStyle(), xlNone);
  EXPECT_EQ(b.Edge(1, 3, 1, 5, xlInsideHorizontal)->LineStyle(), xlNone);

  b.Edge(1, 1, 3, 1, xlInsideHorizontal)->SetLineStyle(xlContinuous);  // rows of B2:B4
  EXPECT_EQ(b.Top(1, 1), 0);
  EXPECT_EQ(b.Bottom(1, 1), kThin);
  EXPECT_EQ(b.Top(2, 1), kThin);
  EXPECT_EQ(b.Bottom(2, 1), kThin);
  EXPECT_EQ(b.Top(3, 1), kThin);
  EXPECT_EQ(b.Bottom(3, 1), 0);
  EXPECT_EQ(b.Edge(1, 1, 3, 1, xlInsideHorizontal)->LineStyle(), xlContinuous);

  b.Edge(1, 3, 1, 5, xlInside)->SetLineStyle(xlDouble);  // columns of D2:F2
  EXPECT_EQ(b.Left(1, 3), 0);
  EXPECT_EQ(b.Right(1, 3), kDouble);
  EXPECT_EQ(b.Left(1, 4), kDouble);
  EXPECT_EQ(b.Right(1, 4), kDouble);
  EXPECT_EQ(b.Left(1, 5), kDouble);
  EXPECT_EQ(b.Right(1, 5), 0);
  EXPECT_EQ(b.Top(1, 4), 0);
  EXPECT_EQ(b.Edge(1, 3, 1, 5, xlInside)->LineStyle(), xlDouble);
}

// Line code -> line style and weight, for codes 1..13.
struct LineCase {
  int32_t code;
  int32_t style;
  int32_t weight;
};
constexpr LineCase kLines[] = {
    {1, xlContinuous, xlThin},
    {2, xlContinuous, xlMedium},
    {3, xlDash, xlThin},
    {4, xlDot, xlThin},
    {5, xlContinuous, xlThick},
    {6, xlDouble, xlThick},
    {7, xlContinuous, xlHairline},
    {8, xlDash, xlMedium},
    {9, xlDashDot, xlThin},
    {10, xlDashDot, xlMedium},
    {11, xlDashDotDot, xlThin},
    {12, xlDashDotDot, xlMedium},
    {13, xlSlantDashDot, xlMedium},
};

TEST(StyleBorders, StyleThenWeightAndWeightThenStyleGiveEveryLineCode) {
  for (const LineCase& line : kLines) {
    Book b;
    auto styleFirst = b.Edge(0, 0, 0, 0, xlEdgeLeft);
    styleFirst->SetLineStyle(line.style);
    styleFirst->SetWeight(line.weight);
    EXPECT_EQ(b.Left(0, 0), line.code) << "style then weight, code " << line.code;
    EXPECT_EQ(styleFirst->LineStyle(), line.style);
    EXPECT_EQ(styleFirst->Weight(), line.weight);

    auto weightFirst = b.Edge(0, 1, 0, 1, xlEdgeLeft);
    weightFirst->SetWeight(line.weight);
    weightFirst->SetLineStyle(line.style);
    EXPECT_EQ(b.Left(0, 1), line.code) << "weight then style, code " << line.code;
  }
}

TEST(StyleBorders, StyleKeepsTheWeightAndWeightKeepsTheStyle) {
  Book b;
  auto edge = b.Edge(0, 0, 0, 0, xlEdgeTop);
  edge->SetWeight(xlMedium);
  edge->SetLineStyle(xlContinuous);
  EXPECT_EQ(b.Top(0, 0), 2);
  edge->SetWeight(xlThick);
  EXPECT_EQ(b.Top(0, 0), 5);
  edge->SetLineStyle(xlDot);  // dotted has one weight
  EXPECT_EQ(b.Top(0, 0), 4);
  edge->SetWeight(xlHairline);  // hair is drawn continuous
  EXPECT_EQ(b.Top(0, 0), 7);
  edge->SetLineStyle(99);  // not a line style: no line
  EXPECT_EQ(edge->LineStyle(), xlNone);
  EXPECT_EQ(edge->Weight(), xlThin);
  edge->SetWeight(xlThin);  // a weight alone draws a thin line
  EXPECT_EQ(b.Top(0, 0), kThin);
}

TEST(StyleBorders, ColourOnAnEdgeWithoutALineDrawsAThinOne) {
  Book b;
  auto left = b.Edge(1, 1, 1, 1, xlEdgeLeft);
  left->SetColorIndex(3);
  EXPECT_EQ(b.Left(1, 1), kThin);
  EXPECT_EQ((b.FieldsAt(1, 1).Border1 >> 16) & 0x7F, 10u);
  EXPECT_EQ(left->LineStyle(), xlContinuous);
  EXPECT_EQ(left->ColorIndex(), 3);
  left->SetColorIndex(57);  // ignored
  left->SetColorIndex(-1);
  EXPECT_EQ(left->ColorIndex(), 3);
  left->SetColor(0x0000FF00);  // green, index 4
  EXPECT_EQ(left->ColorIndex(), 4);
  EXPECT_EQ(left->Color(), 0x0000FF00u);
  left->SetColorIndex(xlAutomatic);
  EXPECT_EQ((b.FieldsAt(1, 1).Border1 >> 16) & 0x7F, 64u);
  EXPECT_EQ(left->ColorIndex(), xlAutomatic);
  left->SetColorIndex(0);  // removes the line
  EXPECT_EQ(b.Left(1, 1), 0);
  EXPECT_EQ(left->LineStyle(), xlNone);
  left->SetLineStyle(xlDouble);
  left->SetColorIndex(xlNone);
  EXPECT_EQ(left->LineStyle(), xlNone);

  // The borders object colours all four sides.
  b.Borders(3, 3, 4, 4)->SetColorIndex(6);
  EXPECT_EQ(b.Top(4, 4), kThin);
  EXPECT_EQ(b.TopColor(4, 4), 13);
  EXPECT_EQ(b.Borders(3, 3, 4, 4)->ColorIndex(), 6);
  EXPECT_EQ(b.Borders(3, 3, 4, 4)->Color(), 0x0000FFFFu);  // yellow
}

TEST(StyleBorders, AllBordersWriteEverySideAndClearTheSurroundings) {
  Book b;
  b.Borders(0, 0, 5, 5)->SetLineStyle(xlDouble);
  b.Borders(1, 1, 2, 2)->SetWeight(xlHairline);  // B2:C3
  for (int32_t r = 1; r <= 2; ++r)
    for (int32_t c = 1; c <= 2; ++c) {
      EXPECT_EQ(b.Left(r, c), 7);
      EXPECT_EQ(b.Right(r, c), 7);
      EXPECT_EQ(b.Top(r, c), 7);
      EXPECT_EQ(b.Bottom(r, c), 7);
    }
  EXPECT_EQ(b.Bottom(0, 1), 0);
  EXPECT_EQ(b.Top(3, 2), 0);
  EXPECT_EQ(b.Right(1, 0), 0);
  EXPECT_EQ(b.Left(2, 3), 0);
  EXPECT_EQ(b.Top(0, 1), kDouble);     // only the facing sides go
  EXPECT_EQ(b.Bottom(0, 0), kDouble);  // diagonal neighbours are not touched
  EXPECT_EQ(b.Borders(1, 1, 2, 2)->Weight(), xlHairline);
}

TEST(StyleBorders, DiagonalsAndUnknownEdges) {
  Book b;
  b.Edge(0, 0, 1, 1, xlDiagonalDown)->SetLineStyle(xlDash);
  EXPECT_EQ(b.Edge(1, 1, 1, 1, xlDiagonalDown)->LineStyle(), xlDash);
  EXPECT_EQ(b.Edge(1, 1, 1, 1, xlDiagonalUp)->LineStyle(), xlNone);
  EXPECT_EQ(b.Left(1, 1), 0);
  const int32_t cells = b.sheet->CellHeap().CellCount();
  auto unknown = b.Edge(5, 5, 6, 6, 99);
  unknown->SetLineStyle(xlContinuous);
  unknown->SetColorIndex(3);
  EXPECT_EQ(b.sheet->CellHeap().CellCount(), cells);
  EXPECT_EQ(unknown->LineStyle(), xlNone);
  EXPECT_EQ(unknown->Weight(), xlThin);
}

TEST(StyleBorders, EdgesAtTheSheetsEndHaveNoNeighbour) {
  Book b;
  // The last row and column: there is nothing below or right of them, so
  // their own top and left lines must stay.
  b.Borders(kXLSMaxRow, kXLSMaxColumn, kXLSMaxRow, kXLSMaxColumn)->SetLineStyle(xlContinuous);
  EXPECT_EQ(b.Top(kXLSMaxRow, kXLSMaxColumn), kThin);
  EXPECT_EQ(b.Left(kXLSMaxRow, kXLSMaxColumn), kThin);
  EXPECT_EQ(b.Bottom(kXLSMaxRow, kXLSMaxColumn), kThin);
  EXPECT_EQ(b.Right(kXLSMaxRow, kXLSMaxColumn), kThin);
  b.Edge(kXLSMaxRow, 0, kXLSMaxRow, 0, xlEdgeTop)->SetLineStyle(xlDouble);
  b.Edge(kXLSMaxRow, 0, kXLSMaxRow, 0, xlEdgeBottom)->SetLineStyle(xlDouble);
  EXPECT_EQ(b.Top(kXLSMaxRow, 0), kDouble);
  EXPECT_EQ(b.Edge(0, 0, 0, 0, xlEdgeTop)->LineStyle(), xlNone);
}

TEST(StyleBorders, WholeColumnsAndRowsUseTheRecords) {
  Book b;
  TXLSCellHeap& cells = b.sheet->CellHeap();
  cells.GetCell(4, 2);  // C5
  cells.GetCell(4, 4);  // E5
  b.Edge(4, 4, 4, 4, xlEdgeLeft)->SetLineStyle(xlDouble);
  b.Borders(0, 2, kXLSMaxRow, 3)->SetLineStyle(xlContinuous);  // C:D
  EXPECT_EQ(cells.CellCount(), 2);
  const TXLSColumnInfo* c = b.sheet->ColumnInfo().Find(2);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(TXLSXFFields::Parse(b.book->Formats().GetKey(c->FormatIndex)).Border1 & 0xFFFF, 0x1111u);
  EXPECT_EQ(b.Top(4, 2), kThin);
  EXPECT_EQ(b.Right(40000, 3), kThin);  // through the column record
  EXPECT_EQ(b.Left(4, 4), 0);           // E5 faces column D
  cells.GetCell(9, 3);
  EXPECT_EQ(b.Bottom(9, 3), kThin);  // a later cell inherits

  b.Edge(6, 0, 7, kXLSMaxColumn, xlEdgeTop)->SetLineStyle(xlDouble);  // rows 7:8
  const TXLSRowInfo* row = b.sheet->RowInfo().Find(6);
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(row->HasRowFormat);
  EXPECT_EQ(b.Top(6, 100), kDouble);
  EXPECT_EQ(b.Top(7, 100), 0);
  EXPECT_EQ(b.Top(6, 2), kDouble);  // the crossing with column C keeps its sides
  EXPECT_EQ(b.Left(6, 2), kThin);
  EXPECT_EQ(b.Edge(6, 0, 6, kXLSMaxColumn, xlEdgeTop)->LineStyle(), xlDouble);
}

TEST(StyleBorders, InsideEdgesOfWholeColumnsAndRowsKeepToTheRecords) {
  Book b;
  TXLSCellHeap& cells = b.sheet->CellHeap();
  b.Edge(0, 2, kXLSMaxRow, 3, xlInsideHorizontal)->SetLineStyle(xlContinuous);  // C:D
  // Only the first and last row are cells; the rows between use the records.
  EXPECT_EQ(cells.CellCount(), 4);
  EXPECT_EQ(b.Top(0, 2), 0);
  EXPECT_EQ(b.Bottom(0, 2), kThin);
  EXPECT_EQ(b.Top(kXLSMaxRow, 3), kThin);
  EXPECT_EQ(b.Bottom(kXLSMaxRow, 3), 0);
  EXPECT_EQ(b.Top(500, 3), kThin);
  EXPECT_EQ(b.Bottom(500, 3), kThin);
  EXPECT_EQ(b.Top(500, 4), 0);

  Book r;
  r.Edge(2, 0, 3, kXLSMaxColumn, xlInsideVertical)->SetLineStyle(xlDouble);  // rows 3:4
  EXPECT_EQ(r.sheet->CellHeap().CellCount(), 4);
  EXPECT_EQ(r.Left(2, 0), 0);
  EXPECT_EQ(r.Right(2, 0), kDouble);
  EXPECT_EQ(r.Left(3, kXLSMaxColumn), kDouble);
  EXPECT_EQ(r.Right(3, kXLSMaxColumn), 0);
  EXPECT_EQ(r.Left(2, 100), kDouble);
  EXPECT_EQ(r.Right(3, 100), kDouble);
  EXPECT_EQ(r.Left(4, 100), 0);

  // The whole sheet: the first and last rows are the only cells.
  Book w;
  w.Edge(0, 0, kXLSMaxRow, kXLSMaxColumn, xlInside)->SetLineStyle(xlContinuous);
  EXPECT_EQ(w.sheet->CellHeap().CellCount(), 2 * (kXLSMaxColumn + 1));
  EXPECT_EQ(w.Top(0, 5), 0);
  EXPECT_EQ(w.Left(0, 5), kThin);
  EXPECT_EQ(w.Left(100, 0), 0);
  EXPECT_EQ(w.Right(100, 0), kThin);
  EXPECT_EQ(w.Top(100, 0), kThin);
  EXPECT_EQ(w.Right(100, kXLSMaxColumn), 0);
}

}  // namespace
}  // namespace lx

// Drawings through a whole save and open: comments come back on their cells
// with their texts and authors, in BIFF8 and as BIFF5 notes, and a malformed
// drawing costs only the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "lxDraw.h"
#include "lxDrawingObjects.h"
#include "lxHandle.h"
#include "lxStreams.h"

namespace lx {
namespace {

std::vector<uint8_t> Saved(TXLSWorkbook& book, int32_t format) {
  TMemoryStream stream;
  EXPECT_EQ(book.SaveAs(stream, format), 1);
  return stream.Bytes();
}

// A book of two sheets: the first without shapes, the second with a number
// and two comments.
XLSPtr<TXLSWorkbook> BookWithComments() {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add();
  book->Worksheets()->Add();
  IXLSWorksheet& plain = *book->Worksheets()->Item(1);
  IXLSWorksheet& noted = *book->Worksheets()->Item(2);
  plain.Cells()->Item(1, 1)->SetValue(TVariant(1.0));
  noted.Cells()->Item(1, 1)->SetValue(TVariant(42.0));
  (void)DrawingObjects(plain);  // objects, but no shape
  TMsoDrawing& drawing = DrawingObjects(noted).Drawing();
  TMsoShapeContainer& first = drawing.AddCommentBox(2, 1);
  first.SetText(u"First \u00e9");
  first.SetAuthor(u"Ann");
  drawing.AddCommentBox(5, 3).SetText(u"Second");
  return book;
}

TEST(DrawBook, CommentsSurviveSaveAndOpenInBothFormats) {
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    XLSPtr<TXLSWorkbook> book = BookWithComments();
    TMemoryStream stream(Saved(*book, format));
    if (format == kSaveBiff8) {
      // Only the sheet with shapes took a drawing identifier.
      EXPECT_EQ(DrawingBookObjects(*book).DrawingGroup().Dgg().DrawingsSaved(), 1u);
    }
    XLSPtr<TXLSWorkbook> read = CreateXLSWorkbook();
    ASSERT_EQ(read->Open(stream), 1);
    const TMsoDrawing& drawing = DrawingObjects(*read->Worksheets()->Item(2)).Drawing();
    ASSERT_EQ(drawing.Count(), 2u) << format;
    EXPECT_EQ(drawing.Item(0).Text(), u"First \u00e9");
    EXPECT_EQ(drawing.Item(0).Row(), 2);
    EXPECT_EQ(drawing.Item(0).Column(), 1);
    EXPECT_EQ(drawing.Item(1).Text(), u"Second");
    EXPECT_EQ(drawing.Item(1).Row(), 5);
    // BIFF5 notes carry no author.
    EXPECT_EQ(drawing.Item(0).Author(), format == kSaveBiff8 ? u"Ann" : u"");
    EXPECT_EQ(DrawingObjects(*read->Worksheets()->Item(1)).Drawing().Count(), 0u);
  }
}

TEST(DrawBook, MalformedDrawingIsDroppedAndTheBookStillOpens) {
  XLSPtr<TXLSWorkbook> book = BookWithComments();
  const std::vector<uint8_t> good = Saved(*book, kSaveBiff8);
  // The heads of the drawing group's and the sheet drawing's containers.
  struct TCase {
    const char* name;
    std::vector<uint8_t> head;
  } cases[] = {
      {"drawing group", {0x0F, 0x00, 0x00, 0xF0}},
      {"sheet drawing", {0x0F, 0x00, 0x02, 0xF0}},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> bad = good;
    const auto at = std::search(bad.begin(), bad.end(), c.head.begin(), c.head.end());
    ASSERT_NE(at, bad.end()) << c.name;
    std::fill(at + 4, at + 8, 0x7F);  // a length far past its record
    TMemoryStream stream(bad);
    XLSPtr<TXLSWorkbook> read = CreateXLSWorkbook();
    ASSERT_EQ(read->Open(stream), 1) << c.name;
    IXLSWorksheet& noted = *read->Worksheets()->Item(2);
    EXPECT_EQ(noted.Cells()->Item(1, 1)->Value().ToDouble(), 42.0) << c.name;
    const TMsoDrawing& drawing = DrawingObjects(noted).Drawing();
    if (c.name == std::string("sheet drawing")) {
      EXPECT_TRUE(drawing.ReadFailed());
      EXPECT_EQ(drawing.Count(), 0u);
    } else {
      // The group is dropped; the sheet's drawing does not depend on it.
      EXPECT_TRUE(DrawingBookObjects(*read).DrawingGroup().Pictures().Empty());
      EXPECT_EQ(drawing.Count(), 2u);
    }
    // What was read saves again.
    TMemoryStream again;
    EXPECT_EQ(read->SaveAs(again, kSaveBiff8), 1) << c.name;
  }
}

}  // namespace
}  // namespace lx

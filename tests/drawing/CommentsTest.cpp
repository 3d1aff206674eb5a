// Comments through the range: one per cell, deleted by rectangle, and
// following their cells through clears, inserts, deletes, copies and cuts.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "lxConstants.h"
#include "lxDrawingObjects.h"
#include "lxHandle.h"

namespace lx {
namespace {

// The sheet's comments as "A1=text" pairs, row by row, and how many shapes
// the drawing holds (each comment one box, no strays).
std::string Listing(IXLSWorksheet& sheet) {
  std::string out;
  TXLSDrawingObjects& objects = DrawingObjects(sheet);
  std::map<std::pair<int32_t, int32_t>, std::u16string> sorted;
  for (size_t i = 1; i <= objects.Comments().Count(); ++i) {
    TXLSComment& c = objects.Comments().Item(i);
    sorted[{c.Row(), c.Column()}] = c.Text();
  }
  for (const auto& [cell, text] : sorted) {
    out += static_cast<char>('A' + cell.second);
    out += std::to_string(cell.first + 1) + "=" + std::string(text.begin(), text.end()) + " ";
  }
  return out + "#" + std::to_string(objects.Drawing().Count());
}

// A range by its address, "C3" or "C3:D4".
XLSPtr<IXLSRange> At(IXLSWorksheet& sheet, const std::string& address) {
  const size_t colon = address.find(':');
  const std::string first = address.substr(0, colon);
  const std::string last = colon == std::string::npos ? first : address.substr(colon + 1);
  return sheet.Range(WideString(first.begin(), first.end()), WideString(last.begin(), last.end()));
}

TEST(Comments, FollowTheirCells) {
  // Each case starts from comments on C3 ("c"), D4 ("d") and E4 ("e").
  struct TCase {
    const char* name;
    void (*act)(IXLSWorksheet&);
    const char* expected;
  } cases[] = {
      {"asking again makes no second box",
       [](IXLSWorksheet& s) {
         XLSPtr<IXLSComment> again = At(s, "C3")->AddComment();
         EXPECT_EQ(again.Get(), At(s, "C3")->Comment().Get());
         EXPECT_EQ(again->Text(), u"c");
       },
       "C3=c D4=d E4=e #3"},
      {"text form replaces the text", [](IXLSWorksheet& s) { (void)At(s, "C3:D9")->AddComment(u"new"); },
       "C3=new D4=d E4=e #3"},
      {"rectangle without comments", [](IXLSWorksheet& s) { At(s, "A1:B9")->ClearComments(); }, "C3=c D4=d E4=e #3"},
      {"delete in B2:D4", [](IXLSWorksheet& s) { At(s, "B2:D4")->ClearComments(); }, "E4=e #1"},
      {"clear removes them", [](IXLSWorksheet& s) { At(s, "D1:D9")->Clear(); }, "C3=c E4=e #2"},
      {"clear contents keeps them", [](IXLSWorksheet& s) { At(s, "D1:D9")->ClearContents(); }, "C3=c D4=d E4=e #3"},
      {"insert rows above",
       [](IXLSWorksheet& s) {
         TVariant done;
         At(s, "A4:IV5")->Insert(TVariant(xlShiftDown), done);
       },
       "C3=c D6=d E6=e #3"},
      {"insert cells right of C",
       [](IXLSWorksheet& s) {
         TVariant done;
         At(s, "D4")->Insert(TVariant(xlShiftToRight), done);
       },
       "C3=c E4=d F4=e #3"},
      {"delete a row drops its comments",
       [](IXLSWorksheet& s) {
         TVariant done;
         At(s, "A3:IV3")->Delete(TVariant(xlShiftUp), done);
       },
       "D3=d E3=e #2"},
      {"delete column C moves the rest left",
       [](IXLSWorksheet& s) {
         TVariant done;
         At(s, "C1:C65536")->Delete(TVariant(xlShiftToLeft), done);
       },
       "C4=d D4=e #2"},
      {"copy with comments, repeated and replacing",
       [](IXLSWorksheet& s) { At(s, "C3:D4")->Copy(At(s, "G1:J4").Get(), kCopyAll); },
       "G1=c I1=c H2=d J2=d C3=c G3=c I3=c D4=d E4=e H4=d J4=d #11"},
      {"copy without the flag leaves them", [](IXLSWorksheet& s) { At(s, "C3")->Copy(At(s, "E4").Get(), kCopyValues); },
       "C3=c D4=d E4=e #3"},
      {"copy of a cell without comment removes the destination's",
       [](IXLSWorksheet& s) { At(s, "A1")->Copy(At(s, "E4").Get(), kCopyComments); }, "C3=c D4=d #2"},
      {"cut moves them", [](IXLSWorksheet& s) { At(s, "C3:D4")->Cut(At(s, "D4:E5").Get(), kCopyAll); }, "D4=c E5=d #2"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    book->Worksheets()->Add();
    IXLSWorksheet& sheet = *book->Worksheets()->Item(1);
    EXPECT_EQ(At(sheet, "C3")->Comment().Get(), nullptr);
    (void)At(sheet, "C3")->AddComment(u"c");
    (void)At(sheet, "D4")->AddComment(u"d");
    XLSPtr<IXLSComment> kept = At(sheet, "E4")->AddComment(u"e");
    c.act(sheet);
    EXPECT_EQ(Listing(sheet), c.expected);
    // A comment held by the caller is still its cell's, or reads as empty
    // once deleted.
    const int32_t row = kept->Row() + 1, column = kept->Column() + 1;
    if (row == 0) {
      EXPECT_EQ(kept->Text(), u"");
    } else {
      EXPECT_EQ(sheet.RangeOf(row, column, column, row)->Comment().Get(), kept.Get());
    }
  }
}

}  // namespace
}  // namespace lx

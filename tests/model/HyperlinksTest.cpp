// Hyperlinks: kinds and their HLINK bytes, the anchor's text and look, which
// hyperlinks a range sees, deleting, and reading records back, including
// malformed ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lxHandle.h"
#include "lxHyperlinks.h"
#include "lxStyle.h"
#include "lxWriteGlobals.h"
#include "lxWriteSheet.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

using test::Hex;

// UTF-16LE bytes of ASCII text as hex, and the same as a counted string.
std::string W(const std::string& text) {
  std::string hex;
  for (char c : text) hex += test::ToHex(std::vector<uint8_t>{static_cast<uint8_t>(c), 0}) + " ";
  return hex;
}
std::string DWordHex(uint32_t v) {
  return test::ToHex(std::vector<uint8_t>{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)}) +
         " ";
}
std::string Counted(const std::string& text) { return DWordHex(text.size() + 1) + W(text) + "00 00 "; }

const std::string kHead = "00 00 00 00 00 00 00 00  D0 C9 EA 79 F9 BA CE 11 8C 82 00 AA 00 4B A9 0B  02 00 00 00 ";
const std::string kUrl = "E0 C9 EA 79 F9 BA CE 11 8C 82 00 AA 00 4B A9 0B ";
const std::string kFile = "03 03 00 00 00 00 00 00 C0 00 00 00 00 00 00 46 ";

std::string FileMoniker(const std::string& path) {
  return kFile + "00 00  00 00 00 00  FF FF AD DE " + "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 " +
         DWordHex(2 * path.size() + 6) + DWordHex(2 * path.size()) + "03 00 " + W(path);
}

struct Sheet {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  IXLSWorksheet* other = book->Worksheets()->Add();
  XLSPtr<IXLSHyperlink> Add(const char16_t* from, const char16_t* to, const WideString& address,
                            const WideString& text = {}, const WideString& tip = {}, const WideString& sub = {}) {
    return sheet->Hyperlinks()->Add(sheet->Range(from, to).Get(), address, text, tip, sub);
  }
};

TEST(Hyperlinks, KindsAndTheirHLinkBytes) {
  struct Case {
    const char16_t* address;
    const char16_t* text;
    const char16_t* sub;
    uint8_t kind;
    std::string payload;
  };
  const std::vector<Case> cases = {
      // Text to display defaults to the address; URL moniker; options 0x17.
      {u"mailto:a@b.org", u"", u"", kHyperlinkUrl,
       kHead + "17 00 00 00 " + Counted("mailto:a@b.org") + kUrl + DWordHex(30) + W("mailto:a@b.org") + "00 00"},
      {u"WWW.x.org", u"Site", u"top", kHyperlinkUrl,
       kHead + "1F 00 00 00 " + Counted("Site") + kUrl + DWordHex(20) + W("WWW.x.org") + "00 00 " + Counted("top")},
      // Anything with a slash is a URL too.
      {u"docs/a.html", u"a", u"", kHyperlinkUrl,
       kHead + "17 00 00 00 " + Counted("a") + kUrl + DWordHex(24) + W("docs/a.html") + "00 00"},
      // A network path is a counted string of its own.
      {u"\\\\srv\\s\\f.xls", u"", u"", kHyperlinkNetworkPath,
       kHead + "17 01 00 00 " + Counted("\\\\srv\\s\\f.xls") + Counted("\\\\srv\\s\\f.xls")},
      {u"C:\\a.txt", u"", u"", kHyperlinkFile,
       kHead + "17 00 00 00 " + Counted("C:\\a.txt") + FileMoniker("C:\\a.txt")},
      // Upward relative path: not absolute.
      {u"..\\b.txt", u"", u"", kHyperlinkFile,
       kHead + "15 00 00 00 " + Counted("..\\b.txt") + FileMoniker("..\\b.txt")},
      // A place in the workbook only: the sub-address is the text.
      {u"", u"", u"Sheet2!A1", kHyperlinkPlace, kHead + "1C 00 00 00 " + Counted("Sheet2!A1") + Counted("Sheet2!A1")},
  };
  for (const Case& c : cases) {
    Sheet s;
    ASSERT_TRUE(s.Add(u"A1", u"A1", c.address, c.text, u"", c.sub));
    const TXLSCustomHyperlink* link = s.sheet->HyperlinkList()->Item(1);
    EXPECT_EQ(link->kind, c.kind) << WideToAnsi(c.address);
    const auto record = TXLSCustomHyperlinks::BuildHLinkRecord(*link);
    const std::vector<uint8_t> payload(record->Data() + 4, record->Data() + record->Length());
    EXPECT_EQ(test::ToHex(payload), test::ToHex(Hex(c.payload))) << WideToAnsi(c.address);
    // And back: the same hyperlink, without touching any cell.
    TXLSCustomHyperlinks read(nullptr);
    ASSERT_TRUE(read.ReadHyperlinkRecord(payload.data(), static_cast<uint32_t>(payload.size())));
    const TXLSCustomHyperlink* back = read.Item(1);
    EXPECT_EQ(back->kind, link->kind);
    EXPECT_EQ(back->address, link->address);
    EXPECT_EQ(back->subAddress, link->subAddress);
    EXPECT_EQ(back->textToDisplay, link->textToDisplay);
    // Every shorter payload is refused without reading past its end.
    for (size_t size = 0; size < payload.size(); ++size) {
      std::vector<uint8_t> cut(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(size));
      TXLSCustomHyperlinks partial(nullptr);
      (void)partial.ReadHyperlinkRecord(cut.data(), static_cast<uint32_t>(cut.size()));
      EXPECT_LE(partial.Count(), 1);
    }
  }
}

TEST(Hyperlinks, AnchorTextAndLookAndDeleteRestoresPlainLook) {
  Sheet s;
  s.Add(u"A1", u"B1", u"http://a.org", u"", u"", u"top");
  s.Add(u"A2", u"A2", u"http://b.org");
  s.Add(u"A3", u"A3", u"", u"", u"", u"Sheet2!B5");
  EXPECT_EQ(s.sheet->Cells()->Item(1, 1)->Value().ToWide(), u"http://a.org#top");
  EXPECT_EQ(s.sheet->Cells()->Item(3, 1)->Value().ToWide(), u"Sheet2!B5");
  for (const char16_t* cell : {u"A1", u"B1", u"A2"}) {
    XLSPtr<IXLSFont> font = s.sheet->Range(cell, cell)->Font();
    EXPECT_EQ(font->Underline(), xlUnderlineStyleSingle) << WideToAnsi(cell);
    EXPECT_EQ(font->Color(), 0xFF0000u) << WideToAnsi(cell);
  }

  XLSPtr<IXLSHyperlinks> all = s.sheet->Hyperlinks();
  all->Item(2)->Delete();
  ASSERT_EQ(all->Count(), 2);
  EXPECT_EQ(s.sheet->HyperlinkList()->Item(2)->index, 2);
  EXPECT_EQ(all->Item(2)->SubAddress(), u"Sheet2!B5");
  XLSPtr<IXLSFont> plain = s.sheet->Range(u"A2", u"A2")->Font();
  EXPECT_EQ(plain->Underline(), xlNone);
  EXPECT_EQ(plain->Color(), 0u);
  EXPECT_EQ(s.sheet->Cells()->Item(2, 1)->Value().ToWide(), u"http://b.org");  // the text stays

  // A kept wrapper of a deleted hyperlink does nothing.
  XLSPtr<IXLSHyperlink> first = all->Item(1);
  first->Delete();
  first->SetAddress(u"http://c.org");
  first->Delete();
  EXPECT_EQ(first->Address(), u"");
  EXPECT_EQ(all->Count(), 1);

  // Moving the anchor moves the look; a range of another sheet is ignored.
  XLSPtr<IXLSHyperlink> last = all->Item(1);
  last->SetRange(s.sheet->Range(u"D4", u"D4").Get());
  last->SetRange(s.other->Range(u"A1", u"A1").Get());
  EXPECT_EQ(last->Range()->FirstRow(), 3);
  EXPECT_EQ(s.sheet->Range(u"A3", u"A3")->Font()->Underline(), xlNone);
  EXPECT_EQ(s.sheet->Range(u"D4", u"D4")->Font()->Underline(), xlUnderlineStyleSingle);
}

TEST(Hyperlinks, RangeSeesOverlappingAnchors) {
  Sheet s;
  s.Add(u"A1", u"B2", u"http://1");
  s.Add(u"B2", u"C3", u"http://2");
  s.Add(u"E5", u"E5", u"http://3");
  struct Case {
    const char16_t* from;
    const char16_t* to;
    int32_t count;
    const char16_t* firstAddress;
  };
  for (const Case& c : std::vector<Case>{{u"B2", u"B2", 2, u"http://1"},
                                         {u"C3", u"E5", 2, u"http://2"},
                                         {u"A1", u"A1", 1, u"http://1"},
                                         {u"D1", u"D4", 0, u""}}) {
    XLSPtr<IXLSHyperlinks> seen = s.sheet->Range(c.from, c.to)->Hyperlinks();
    EXPECT_EQ(seen->Count(), c.count) << WideToAnsi(c.from);
    EXPECT_EQ(seen->Item(1)->Address(), c.firstAddress) << WideToAnsi(c.from);
    EXPECT_EQ(seen->Item(c.count + 1)->Address(), u"");  // an empty wrapper
  }
  EXPECT_EQ(s.other->Range(u"A1", u"E5")->Hyperlinks()->Count(), 0);
  s.sheet->Range(u"B2", u"B2")->Hyperlinks()->Delete();
  ASSERT_EQ(s.sheet->Hyperlinks()->Count(), 1);
  EXPECT_EQ(s.sheet->Hyperlinks()->Item(1)->Address(), u"http://3");
}

TEST(Hyperlinks, SheetWriterTooltipsBiff5AndOverlongAddresses) {
  Sheet s;
  s.Add(u"A1", u"A1", u"http://a.org", u"A", u"Tip");
  s.Add(u"A2", u"A2", u"http://b.org");
  s.Add(u"A3", u"A3", u"http://" + std::u16string(5000, u'x'));  // longer than one record
  auto hlinks = [&](int32_t format) {
    TXLSGlobalsWriter writer(*s.book, format);
    EXPECT_EQ(writer.WriteWorkbook(), 1);
    std::vector<test::TRecord> found;
    for (auto& r : test::WalkRecords(writer.Sheet(1)->List(TXLSSheetWriter::lkTail).Bytes()))
      if (r.number == kRecHLink || r.number == kRecHLinkTooltip) found.push_back(r);
    return found;
  };
  const auto biff8 = hlinks(kSaveBiff8);
  ASSERT_EQ(biff8.size(), 3u);
  EXPECT_EQ(biff8[0].number, kRecHLink);
  EXPECT_EQ(biff8[1].number, kRecHLinkTooltip);
  EXPECT_EQ(test::ToHex(biff8[1].payload), test::ToHex(Hex("00 08 00 00 00 00 00 00 00 00 " + W("Tip") + "00 00")));
  EXPECT_EQ(biff8[2].number, kRecHLink);
  EXPECT_TRUE(hlinks(kSaveBiff5).empty());
  EXPECT_EQ(s.sheet->Hyperlinks()->Count(), 3);

  // The tooltip is read back onto the hyperlink read just before it.
  TXLSCustomHyperlinks read(nullptr);
  ASSERT_TRUE(read.ReadHyperlinkRecord(biff8[0].payload.data(), static_cast<uint32_t>(biff8[0].payload.size())));
  read.ReadHyperlinkTooltip(biff8[1].payload.data(), static_cast<uint32_t>(biff8[1].payload.size()));
  EXPECT_EQ(read.Item(1)->screenTip, u"Tip");
}

}  // namespace
}  // namespace lx

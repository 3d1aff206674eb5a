// The workbook reader: files our writer makes read back into a model that
// saves to the same bytes, records of other writers read as they mean, and
// malformed streams give their codes without harm.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../../bench/Workloads.h"
#include "../../examples/showcase_book.h"
#include "RecordStreams.h"
#include "lxHandle.h"
#include "lxPageSetup.h"
#include "lxStreams.h"
#include "support/Hex.h"
#include "support/PinnedBook.h"

namespace lx {
namespace {

using test::Hex;
using test::TRec;

std::vector<uint8_t> Saved(IXLSWorkBook& book, int32_t format) {
  TMemoryStream stream;
  EXPECT_EQ(book.SaveAs(stream, format), 1);
  return stream.Bytes();
}

// Every kind of file our writer makes reads back into a workbook that saves
// to the same bytes: the showcase, the pinned documents and the benchmark
// workloads (with fewer rows than the benchmarks use: the record layout
// does not change with the row count past a few DBCELL blocks and SST
// CONTINUE records).
TEST(WorkbookRead, WrittenFilesSaveAgainToTheSameBytes) {
  struct Case {
    const char* name;
    std::function<XLSPtr<IXLSWorkBook>()> build;
  };
  const Case cases[] = {
      {"showcase",
       [] {
         XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
         showcase::BuildShowcase(*book);
         return XLSPtr<IXLSWorkBook>(book);
       }},
      {"pinned", [] { return XLSPtr<IXLSWorkBook>(test::PinnedWorkbook()); }},
      {"W1", [] { return bench::WorkloadBook("W1", 3000); }},
      {"W2", [] { return bench::WorkloadBook("W2", 3000); }},
      {"W3", [] { return bench::WorkloadBook("W3", 600); }},
      {"W4", [] { return bench::WorkloadBook("W4", 3000); }},
  };
  for (const Case& c : cases) {
    const XLSPtr<IXLSWorkBook> book = c.build();
    for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
      const std::vector<uint8_t> first = Saved(*book, format);
      TMemoryStream stream(first);
      XLSPtr<TXLSWorkbook> read = CreateXLSWorkbook();
      ASSERT_EQ(read->Open(stream), 1) << c.name << " " << format;
      EXPECT_EQ(read->LastFormat(), format);
      const std::vector<uint8_t> second = Saved(*read, format);
      size_t differ = 0;
      while (differ < first.size() && differ < second.size() && first[differ] == second[differ]) ++differ;
      EXPECT_TRUE(differ == first.size() && first.size() == second.size())
          << c.name << ", format " << format << ": " << first.size() << " and " << second.size()
          << " bytes, first difference at byte " << differ;
    }
  }
}

// A bare BIFF8 record stream: globals with one font set and XF 15, one sheet
// with the given records.
std::vector<uint8_t> Biff8Stream(const std::vector<TRec>& sheet, bool endSheet = true) {
  std::vector<TRec> records = {{0x0809, Hex("00 06 05 00 00 00 00 00 00 00 00 00 00 00 00 00")}};
  for (int i = 0; i < 6; ++i)
    records.push_back({0x0031, Hex("C8 00 00 00 FF 7F 90 01 00 00 00 00 00 00 05 00 41 72 69 61 6C")});
  for (int i = 0; i < 16; ++i)
    records.push_back({0x00E0, Hex("00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 C0 20")});
  records.push_back({0x0085, Hex("00 00 00 00 00 00 06 00 53 68 65 65 74 31")});
  // SST: "ab" in the SST record, "cdef" split after "cd" into a CONTINUE
  // whose option byte switches to UTF-16.
  records.push_back({0x00FC, Hex("02 00 00 00 02 00 00 00  02 00 00 61 62  04 00 00 63 64")});
  records.push_back({0x003C, Hex("01 65 00 66 00")});
  records.push_back({0x000A, {}});
  records.push_back({0x0809, Hex("00 06 10 00 00 00 00 00 00 00 00 00 00 00 00 00")});
  records.insert(records.end(), sheet.begin(), sheet.end());
  if (endSheet) records.push_back({0x000A, {}});
  return test::Join(records);
}

TEST(WorkbookRead, CellRecordsOfOtherWriters) {
  const std::vector<TRec> cells = {
      {0x027E, Hex("00 00 00 00 0F 00  FF D0 02 00")},                            // RK: integer 46143, divided by 100
      {0x00BD, Hex("01 00 00 00  0F 00 00 00 F0 3F  0F 00 0A 00 00 00  01 00")},  // 1.0, then integer 2
      {0x00FD, Hex("02 00 00 00 0F 00 01 00 00 00")},                             // "cdef" across the CONTINUE
      {0x0204, Hex("03 00 00 00 0F 00 03 00 00 3D 31 32")},                       // LABEL "=12" stays text
      {0x0205, Hex("04 00 00 00 0F 00 01 00")},                                   // TRUE
      {0x0205, Hex("04 00 01 00 0F 00 07 01")},                                   // #DIV/0!
      // =2+3 with tInt operands.
      {0x0006, Hex("05 00 00 00 0F 00  00 00 00 00 00 00 00 00  00 00  00 00 00 00  07 00 1E 02 00 1E 03 00 03")},
  };
  TMemoryStream stream(Biff8Stream(cells));
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  ASSERT_EQ(book->Open(stream), 1);
  IXLSWorksheet* sheet = book->Worksheets()->Item(1);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->Name(), u"Sheet1");
  auto value = [&](int32_t row, int32_t column) { return sheet->Cells()->Item(row, column)->Value(); };
  EXPECT_DOUBLE_EQ(value(1, 1).ToDouble(), 461.43);
  EXPECT_DOUBLE_EQ(value(2, 1).ToDouble(), 1.0);
  EXPECT_DOUBLE_EQ(value(2, 2).ToDouble(), 2.0);
  EXPECT_EQ(value(3, 1).ToWide(), u"cdef");
  EXPECT_EQ(value(4, 1).ToWide(), u"=12");
  EXPECT_TRUE(value(5, 1).ToBool());
  EXPECT_EQ(sheet->CellHeap().FindCell(4, 1)->Kind, ckError);
  EXPECT_EQ(WideToAnsi(sheet->Cells()->Item(6, 1)->Formula().ToWide()), "=2+3");
}

TEST(WorkbookRead, MalformedStreamsGiveTheirCodes) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t result;
    int32_t cells = -1;  // cells of the first sheet, when checked
  };
  std::vector<uint8_t> cut = Biff8Stream({}, false);
  std::vector<uint8_t> sheetFirst = test::Join({{0x0809, Hex("00 06 10 00 00 00 00 00")}, {0x000A, {}}});
  // An SST that claims 2^31 strings and a merge of the whole sheet: read
  // within what the records hold.
  std::vector<uint8_t> greedy = Biff8Stream({{0x00E5, Hex("01 00 00 00 FF FF 00 00 FF 00")}});
  // Three areas of 2^17 cells each (512 rows of every column): merging
  // makes and visits each cell, so a file gets 4 merged cells per byte read,
  // 2^12 at least and 2^18 at most. A small file takes none of them; after
  // 64 KB of other records, the first two are merged and the third is
  // passed over.
  const TRec areas = {0x00E5, Hex("03 00  00 00 FF 01 00 00 FF 00  00 02 FF 03 00 00 FF 00  00 04 FF 05 00 00 FF 00")};
  std::vector<uint8_t> merges = Biff8Stream({areas});
  std::vector<TRec> padded(8, {0x0FFF, std::vector<uint8_t>(8192)});  // a record no reader knows
  padded.push_back(areas);
  std::vector<uint8_t> paddedMerges = Biff8Stream(padded);
  // A1:A64, then row 1 across it: the overlapping second area would join
  // the first into a merge of 64 whole rows (and, repeated, of the sheet).
  std::vector<uint8_t> overlapping =
      Biff8Stream({{0x00E5, Hex("02 00  00 00 3F 00 00 00 00 00  00 00 00 00 00 00 FF 00")}});
  const std::vector<Case> cases = {
      {"missing EOF", cut, 100},
      {"overlapping merges", overlapping, 1, 64},
      {"worksheet BOF first", sheetFirst, -1},
      {"whole-sheet merge", greedy, 1},
      {"not a workbook", Hex("01 02 03 04 05 06 07 08"), -3},
      {"merges past a small file's share", merges, 1, 0},
      {"merges past a large file's share", paddedMerges, 1, 1 << 18},
  };
  for (const Case& c : cases) {
    TMemoryStream stream(c.bytes);
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    EXPECT_EQ(book->Open(stream), c.result) << c.what;
    if (c.cells >= 0) {
      EXPECT_EQ(book->Worksheets()->Item(1)->CellHeap().CellCount(), c.cells) << c.what;
    }
  }
}

TEST(WorkbookRead, HeaderAndFooterSections) {
  struct Case {
    const char* text;
    const char16_t* left;
    const char16_t* center;
    const char16_t* right;
  };
  const Case cases[] = {
      {"&LLeft&CCentre&RRight", u"Left", u"Centre", u"Right"}, {"&L&&R", u"&&R", u"", u""}, {"Page", u"", u"", u""}};
  for (const Case& c : cases) {
    std::vector<uint8_t> header = {static_cast<uint8_t>(std::strlen(c.text)), 0, 0};
    header.insert(header.end(), c.text, c.text + std::strlen(c.text));
    TMemoryStream stream(Biff8Stream({{0x0014, header}}));
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    ASSERT_EQ(book->Open(stream), 1) << c.text;
    const TXLSPageSetup& setup = book->Worksheets()->Item(1)->PageSetup();
    EXPECT_EQ(setup.LeftHeader(), c.left) << c.text;
    EXPECT_EQ(setup.CenterHeader(), c.center) << c.text;
    EXPECT_EQ(setup.RightHeader(), c.right) << c.text;
  }
}

}  // namespace
}  // namespace lx

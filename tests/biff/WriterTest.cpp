// The save driver, the workbook-globals records and the worksheet substream:
// record order, stream offsets, cell encodings, row blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "lxDBCell.h"
#include "lxHandle.h"
#include "lxOutline.h"
#include "lxPageBreaks.h"
#include "lxPageSetup.h"
#include "lxPanes.h"
#include "lxProtect.h"
#include "lxStreams.h"
#include "lxWriteGlobals.h"
#include "lxWriteSheet.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

using test::Hex;

using test::TRecord;

std::vector<TRecord> Walk(const std::vector<uint8_t>& bytes) { return test::WalkRecords(bytes); }

std::vector<uint16_t> Numbers(const std::vector<TRecord>& records) {
  std::vector<uint16_t> numbers;
  for (const auto& r : records) numbers.push_back(r.number);
  return numbers;
}

std::vector<uint8_t> Whole(const TRecord& r) {
  std::vector<uint8_t> bytes{static_cast<uint8_t>(r.number), static_cast<uint8_t>(r.number >> 8),
                             static_cast<uint8_t>(r.payload.size()), static_cast<uint8_t>(r.payload.size() >> 8)};
  bytes.insert(bytes.end(), r.payload.begin(), r.payload.end());
  return bytes;
}

uint32_t DWordAt(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  void Set(int32_t row, int32_t column, const TVariant& value) { sheet->Cells()->Item(row, column)->SetValue(value); }
};

// Writes a workbook and gives the records of one list of the first sheet.
std::vector<TRecord> SheetList(TXLSWorkbook& book, int32_t format, TXLSSheetWriter::TListKind kind,
                               int32_t position = 1) {
  TXLSGlobalsWriter writer(book, format);
  EXPECT_EQ(writer.WriteWorkbook(), 1);
  return Walk(writer.Sheet(position)->List(kind).Bytes());
}

TEST(RKEncoding, IntegersHundredthsAndTruncatedDoubles) {
  uint32_t rk = 0;
  ASSERT_TRUE(EncodeRK(1.0, rk));
  EXPECT_EQ(rk, 0x00000006u);
  ASSERT_TRUE(EncodeRK(2.5, rk));
  EXPECT_EQ(rk, 0x000003EBu);
  ASSERT_TRUE(EncodeRK(0.01, rk));
  EXPECT_EQ(rk, 0x00000007u);
  ASSERT_TRUE(EncodeRK(-5.0, rk));
  EXPECT_EQ(rk, 0xFFFFFFEEu);
  ASSERT_TRUE(EncodeRK(-536870912.0, rk)) << "-2^29 is the lowest integer";
  EXPECT_EQ(rk, 0x80000002u);
  // 2^29 no longer fits the integer form but its double has no low bits.
  ASSERT_TRUE(EncodeRK(536870912.0, rk));
  EXPECT_EQ(rk, 0x41C00000u);
  // 0.125 * 100 = 12.5 rounds to 12 (ties to even) and fails; the double fits.
  ASSERT_TRUE(EncodeRK(0.125, rk));
  EXPECT_EQ(rk, 0x3FC00000u);
  EXPECT_FALSE(EncodeRK(1e300, rk));
  EXPECT_FALSE(EncodeRK(2147483648.0, rk));
  EXPECT_FALSE(EncodeRK(0.1234567, rk));
  EXPECT_FALSE(EncodeRK(std::numeric_limits<double>::quiet_NaN(), rk));
  EXPECT_FALSE(EncodeRK(std::numeric_limits<double>::infinity(), rk));
}

TEST(RowBlocks, DBCellOffsetsPastSixteenBitsBecomeZero) {
  // A BIFF5 row of 256 long labels is larger than 0xFFFF bytes: the offset of
  // the next row does not fit, and it and every later offset are written as 0.
  TXLSDBCell block(64, 1000);
  block.NoteRow(64, 1000 + 3 * 20);
  block.NoteRow(65, 1000 + 3 * 20 + 0x100);
  block.NoteRow(66, 1000 + 3 * 20 + 0x100 + 0x10000);
  block.NoteRow(67, 1000 + 3 * 20 + 0x100 + 0x10000 + 0x10);
  block.NoteRow(99, 5);  // outside the block: ignored
  const auto record = block.BuildRecord(1000 + 0x20000);
  EXPECT_EQ(std::vector<uint8_t>(record->Data(), record->Data() + record->Length()),
            Hex("D7 00 0C 00  00 00 02 00  28 00 00 01 00 00 00 00"));
  EXPECT_EQ(block.LowestRow(), 64);
  EXPECT_EQ(block.HighestRow(), 67);
  TXLSDBCellIndex index;
  ASSERT_EQ(index.Add(block), 1);
  const auto record5 = index.BuildIndexRecord(false, 0x100);
  EXPECT_EQ(std::vector<uint8_t>(record5->Data(), record5->Data() + record5->Length()),
            Hex("0B 02 10 00  00 00 00 00  40 00 44 00  00 00 00 00  E8 04 02 00"));
}

TEST(SheetCells, RKRunBecomesMulRKAndUnrepresentableNumberIsNumber) {
  Book b;
  b.Set(1, 1, 1.0);
  b.Set(1, 2, 2.5);
  b.Set(1, 3, 0.01);
  b.Set(1, 4, 1e300);
  const auto cells = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(Whole(cells[0]), Hex("08 02 10 00  00 00 00 00 04 00 FF 80 00 00 00 00 00 01 0F 00"));
  // The first cell of a row has no format (0); cells created in a row that
  // already has its record take the record's format, 15.
  EXPECT_EQ(Whole(cells[1]), Hex("BD 00 18 00  00 00 00 00  00 00 06 00 00 00  0F 00 EB 03 00 00"
                                 "0F 00 07 00 00 00  02 00"));
  EXPECT_EQ(Whole(cells[2]), Hex("03 02 0E 00  00 00 03 00 0F 00  9C 75 00 88 3C E4 37 7E"));
  // The block starts at 0; the row's cells start at 20, the DBCELL at 66.
  EXPECT_EQ(Whole(cells[3]), Hex("D7 00 06 00  42 00 00 00  00 00"));
}

// NaN and the infinities are kept as #NUM!, written as a BOOLERR error.
TEST(SheetCells, NumbersThatAreNotFiniteAreWrittenAsTheErrorNum) {
  Book b;
  b.Set(1, 1, 1.0);
  b.Set(1, 2, std::numeric_limits<double>::quiet_NaN());
  b.Set(1, 3, -std::numeric_limits<double>::infinity());
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    const auto cells = SheetList(*b.book, format, TXLSSheetWriter::lkCells);
    ASSERT_EQ(cells.size(), 5u);  // ROW, the three cells, DBCELL
    EXPECT_EQ(Whole(cells[1]), Hex("7E 02 0A 00  00 00 00 00 00 00  06 00 00 00"));
    EXPECT_EQ(Whole(cells[2]), Hex("05 02 08 00  00 00 01 00 0F 00  24 01"));
    EXPECT_EQ(Whole(cells[3]), Hex("05 02 08 00  00 00 02 00 0F 00  24 01"));
  }
}

TEST(SheetCells, RunsCrossTheColumnHalvesButNotGaps) {
  Book b;
  b.Set(1, 128, 1.0);  // columns 127 and 128 (0-based) lie in different halves
  b.Set(1, 129, 2.0);
  b.Set(1, 131, 3.0);  // after an empty slot: a run of one is RK
  const auto cells = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(Whole(cells[1]), Hex("BD 00 12 00  00 00 7F 00  00 00 06 00 00 00  0F 00 0A 00 00 00  80 00"));
  EXPECT_EQ(Whole(cells[2]), Hex("7E 02 0A 00  00 00 82 00 0F 00  0E 00 00 00"));
}

TEST(SheetCells, FormattedBlanksFormMulBlankAndPlainBlankWritesNothing) {
  Book b;
  const XLSPtr<IXLSRange> range = b.sheet->Range(u"A1", u"C1");
  range->SetHorizontalAlignment(-4108);  // centre: one new cell format, XF 21
  b.Set(3, 1, u"");                      // a blank cell without a format
  const auto cells = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells);
  std::vector<uint16_t> numbers = Numbers(cells);
  EXPECT_EQ(numbers, (std::vector<uint16_t>{kRecRow, kRecRow, kRecMulBlank, kRecDBCell}));
  EXPECT_EQ(Whole(cells[2]), Hex("BE 00 0C 00  00 00 00 00  15 00 15 00 15 00  02 00"));
  const auto settings = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkSettings);
  // DIMENSIONS covers the MULBLANK only: rows 0..1, columns 0..3.
  EXPECT_EQ(Whole(settings.back()), Hex("00 02 0E 00  00 00 00 00 01 00 00 00  00 00 03 00  00 00"));
}

TEST(SheetCells, EmptySheetHasNoRowsBlocksOrIndexAndFullWidthDimensions) {
  Book b;
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const TXLSSheetWriter& sheet = *writer.Sheet(1);
  EXPECT_EQ(sheet.List(TXLSSheetWriter::lkCells).Total(), 0u);
  const auto head = Walk(sheet.List(TXLSSheetWriter::lkHead).Bytes());
  ASSERT_EQ(head.size(), 1u);
  EXPECT_EQ(Whole(head[0]), Hex("09 08 10 00  00 06 10 00 AF 18 CD 07 C9 80 00 00 06 01 00 00"));
  const auto settings = Walk(sheet.List(TXLSSheetWriter::lkSettings).Bytes());
  EXPECT_EQ(Whole(settings.back()), Hex("00 02 0E 00  00 00 00 00 00 00 00 00  00 00 00 01  00 00"));
  const auto settings5 = SheetList(*b.book, kSaveBiff5, TXLSSheetWriter::lkSettings);
  EXPECT_EQ(Whole(settings5.back()), Hex("00 02 0A 00  00 00 00 00  00 00 00 01  00 00"));
}

TEST(SheetCells, BlocksOf32RowsWithDBCellAndIndexPositions) {
  Book b;
  for (int32_t row = 6; row <= 41; ++row) b.Set(row, 1, row);  // rows 5..40
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const auto cells = Walk(writer.Sheet(1)->List(TXLSSheetWriter::lkCells).Bytes());
  std::vector<uint16_t> expected(32, kRecRow);
  expected.insert(expected.end(), 32, kRecRK);
  expected.push_back(kRecDBCell);
  expected.insert(expected.end(), 4, kRecRow);
  expected.insert(expected.end(), 4, kRecRK);
  expected.push_back(kRecDBCell);
  EXPECT_EQ(Numbers(cells), expected);
  // Second block: starts at 32 * 20 + 32 * 14 + (4 + 4 + 64) = 1160; its rows'
  // cells start after the four ROW records, 14 bytes apart; its DBCELL
  // follows 4 * 20 + 4 * 14 = 136 bytes after the block start.
  const TRecord& dbcell = cells.back();
  EXPECT_EQ(cells[65].offset, 1160u);
  EXPECT_EQ(dbcell.payload, Hex("88 00 00 00  3C 00 0E 00 0E 00 0E 00"));

  // INDEX: rows 5 to 41, and the absolute positions of both DBCELL records.
  const std::vector<uint8_t> stream = writer.Bytes();
  const auto head = Walk(writer.Sheet(1)->List(TXLSSheetWriter::lkHead).Bytes());
  ASSERT_EQ(head.size(), 2u);
  const TRecord& index = head[1];
  ASSERT_EQ(index.number, kRecIndex);
  ASSERT_EQ(index.payload.size(), 24u);
  EXPECT_EQ(DWordAt(index.payload, 4), 5u);
  EXPECT_EQ(DWordAt(index.payload, 8), 41u);
  for (size_t i = 0; i < 2; ++i) {
    const uint32_t position = DWordAt(index.payload, 16 + 4 * i);
    ASSERT_LT(position + 1, stream.size());
    EXPECT_EQ(stream[position], 0xD7);
    EXPECT_EQ(stream[position + 1], 0x00);
  }
}

TEST(SheetCells, GapsBetweenRowsGiveEmptyBlocks) {
  Book b;
  b.Set(1, 1, 1.0);
  b.Set(101, 1, 2.0);
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    TXLSGlobalsWriter writer(*b.book, format);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const auto cells = Walk(writer.Sheet(1)->List(TXLSSheetWriter::lkCells).Bytes());
    EXPECT_EQ(Numbers(cells), (std::vector<uint16_t>{kRecRow, kRecRK, kRecDBCell, kRecDBCell, kRecDBCell, kRecRow,
                                                     kRecRK, kRecDBCell}));
    EXPECT_EQ(cells[3].payload, Hex("00 00 00 00"));
    EXPECT_EQ(cells[4].payload, Hex("00 00 00 00"));
    const auto head = Walk(writer.Sheet(1)->List(TXLSSheetWriter::lkHead).Bytes());
    ASSERT_EQ(head.size(), 2u);
    const std::vector<uint8_t>& index = head[1].payload;
    const std::vector<uint8_t> stream = writer.Bytes();
    size_t positions = 0;
    if (format == kSaveBiff8) {
      ASSERT_EQ(index.size(), 32u);
      EXPECT_EQ(DWordAt(index, 4), 0u);
      EXPECT_EQ(DWordAt(index, 8), 101u);
      positions = 16;
    } else {
      ASSERT_EQ(index.size(), 28u);
      EXPECT_EQ(index[4] | index[5] << 8, 0);
      EXPECT_EQ(index[6] | index[7] << 8, 101);
      positions = 12;
    }
    for (size_t i = 0; i < 4; ++i) {
      const uint32_t position = DWordAt(index, positions + 4 * i);
      ASSERT_LT(position, stream.size());
      EXPECT_EQ(stream[position], 0xD7) << "block " << i;
    }
  }
}

TEST(SheetCells, IndexSplitIntoContinueStillPointsAtEveryDBCell) {
  // Rows 0 and lastRow give a DBCELL for every block between them. BIFF5
  // splits an INDEX of more than 517 positions (2080 payload bytes); a BIFF8
  // INDEX of all 2048 blocks still fits one record.
  struct TCase {
    int32_t format;
    int32_t lastRow;
    size_t records;  // INDEX and its CONTINUE records
  };
  const TCase cases[] = {{kSaveBiff5, 517 * 32, 2}, {kSaveBiff5, 65535, 4}, {kSaveBiff8, 65535, 1}};
  for (const TCase& c : cases) {
    Book b;
    b.Set(1, 1, 1.0);
    b.Set(c.lastRow + 1, 1, 2.0);
    TXLSGlobalsWriter writer(*b.book, c.format);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const auto head = Walk(writer.Sheet(1)->List(TXLSSheetWriter::lkHead).Bytes());
    ASSERT_EQ(head.size(), 1 + c.records);
    std::vector<uint8_t> index;
    for (size_t i = 1; i < head.size(); ++i) {
      EXPECT_EQ(head[i].number, i == 1 ? kRecIndex : kRecContinue);
      index.insert(index.end(), head[i].payload.begin(), head[i].payload.end());
    }
    const size_t blocks = static_cast<size_t>(c.lastRow / 32 + 1);
    const size_t first = c.format == kSaveBiff8 ? 16 : 12;
    ASSERT_EQ(index.size(), first + 4 * blocks);
    const std::vector<uint8_t> stream = writer.Bytes();
    for (size_t i = 0; i < blocks; ++i) {
      const uint32_t position = DWordAt(index, first + 4 * i);
      ASSERT_LT(position + 1, stream.size());
      ASSERT_EQ(stream[position] | stream[position + 1] << 8, kRecDBCell) << "format " << c.format << " block " << i;
    }
  }
}

TEST(SheetCells, DatesShiftInThe1904SystemAndNeverBecomeRK) {
  Book b;
  b.book->SetDate1904(true);
  b.Set(1, 1, TVariant::FromDate(45000.0));
  b.sheet->Range(u"B1", u"B1")->SetNumberFormat(u"dd/mm/yyyy");
  b.Set(1, 2, 100.0);
  b.Set(1, 3, 2000.0);  // a number without a date format keeps its value
  const auto cells = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells);
  ASSERT_GE(cells.size(), 4u);
  ASSERT_EQ(cells[1].number, kRecNumber);
  double value = 0;
  std::memcpy(&value, cells[1].payload.data() + 6, 8);
  EXPECT_EQ(value, 43538.0);
  // B1 shifts to 0 and joins C1 in one MULRK: RK 2 (0) and 8002 (2000).
  EXPECT_EQ(Whole(cells[2]), Hex("BD 00 12 00  00 00 01 00  15 00 02 00 00 00  0F 00 42 1F 00 00  02 00"));
}

TEST(SheetCells, MergedAreaWritesEveryCellThenMergedCells) {
  Book b;
  const XLSPtr<IXLSRange> area = b.sheet->Range(u"A1", u"B2");
  // Formatted before merging, so every cell of the area carries the format.
  area->SetHorizontalAlignment(-4108);
  area->Merge();
  b.Set(1, 1, u"Title");
  const auto cells = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells);
  EXPECT_EQ(Numbers(cells), (std::vector<uint16_t>{kRecRow, kRecRow, kRecLabelSST, kRecBlank, kRecBlank, kRecBlank,
                                                   kRecMergedCells, kRecDBCell}));
  EXPECT_EQ(Whole(cells[2]), Hex("FD 00 0A 00  00 00 00 00 15 00  00 00 00 00"));
  EXPECT_EQ(Whole(cells[3]), Hex("01 02 06 00  00 00 01 00 15 00"));
  EXPECT_EQ(Whole(cells[4]), Hex("01 02 06 00  01 00 00 00 15 00"));
  EXPECT_EQ(Whole(cells[5]), Hex("01 02 06 00  01 00 01 00 15 00"));
  EXPECT_EQ(Whole(cells[6]), Hex("E5 00 0A 00  01 00 00 00 01 00 00 00 01 00"));
}

TEST(SheetCells, Biff5LabelCarriesTheTextInTheCodePage) {
  Book b;
  b.Set(1, 1, u"a\r\nb\u00e9");
  b.Set(1, 2, true);
  const auto cells = SheetList(*b.book, kSaveBiff5, TXLSSheetWriter::lkCells);
  ASSERT_EQ(cells.size(), 4u);
  // CR LF becomes CR; the text converts to the 8-bit code page.
  EXPECT_EQ(Whole(cells[1]).size(), 4u + 8u + 4u);
  EXPECT_EQ(cells[1].number, kRecLabel);
  EXPECT_EQ(std::vector<uint8_t>(cells[1].payload.begin() + 6, cells[1].payload.end()), Hex("04 00 61 0D 62 E9"));
  EXPECT_EQ(Whole(cells[2]), Hex("05 02 08 00  00 00 01 00 0F 00  01 00"));

  b.Set(1, 1, std::u16string(300, u'x'));
  const auto cut = SheetList(*b.book, kSaveBiff5, TXLSSheetWriter::lkCells);
  ASSERT_EQ(cut[1].number, kRecLabel);
  EXPECT_EQ(cut[1].payload.size(), 8u + 255u) << "BIFF5 labels hold at most 255 characters";
}

TEST(SheetRecords, ColumnRunsAndRowOptions) {
  Book b;
  for (int32_t column = 2; column <= 4; ++column) b.sheet->ColumnInfo().SetColumnWidth(column, 20);
  b.sheet->ColumnInfo().SetColumnHidden(6, true);
  b.sheet->ColumnInfo().SetColumnWidth(254, 5);
  b.sheet->ColumnInfo().SetColumnWidth(255, 5);
  b.sheet->RowInfo().SetRowHeight(0, 30);
  b.sheet->RowInfo().SetRowHidden(2, true);
  b.sheet->RowInfo().SetRowOutlineLevel(3, 3);
  const auto settings = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkSettings);
  std::vector<TRecord> colinfo;
  const TRecord* guts = nullptr;
  for (const auto& r : settings) {
    if (r.number == kRecColInfo) colinfo.push_back(r);
    if (r.number == kRecGuts) guts = &r;
  }
  // 20 characters = 20 * 256 + 182 = 5302; 5 characters = 1462.
  ASSERT_EQ(colinfo.size(), 3u);
  EXPECT_EQ(colinfo[0].payload, Hex("02 00 04 00  B6 14  00 00  02 00  02 00"));
  EXPECT_EQ(colinfo[1].payload, Hex("06 00 06 00  24 09  00 00  03 00  02 00"));
  EXPECT_EQ(colinfo[2].payload, Hex("FE 00 00 01  B6 05  00 00  02 00  02 00"));
  ASSERT_NE(guts, nullptr);
  EXPECT_EQ(guts->payload, Hex("3A 00 00 00 03 00 00 00"));  // level 3 (stored 2): 2 * 29, levels 3

  const auto cells = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[0].payload, Hex("00 00 00 00 00 00  58 02  00 00 00 00  40 01  0F 00"));
  // Row 2 is hidden; row 3 carries its level (stored 2).
  EXPECT_EQ(cells[1].payload, Hex("02 00 00 00 00 00  FF 80  00 00 00 00  20 01  0F 00"));
  EXPECT_EQ(cells[2].payload, Hex("03 00 00 00 00 00  FF 80  00 00 00 00  02 01  0F 00"));
}

TEST(SheetRecords, OnlyTheSummaryRowOfAHiddenGroupIsMarkedCollapsed) {
  // Two detail rows (level 2, stored 1) and their summary row, which sits
  // below them by default and above them when the outline says so. The
  // option words: 0x0100 always, 0x0020 hidden, 0x0010 collapsed, the level.
  struct TCase {
    bool summaryAbove;
    bool hidden;
    std::vector<uint16_t> options;  // rows 0, 1, 2
  };
  const TCase cases[] = {
      {false, false, {0x0101, 0x0101, 0x0100}},
      {false, true, {0x0121, 0x0121, 0x0110}},
      {true, false, {0x0100, 0x0101, 0x0101}},
      {true, true, {0x0110, 0x0121, 0x0121}},
  };
  for (const TCase& c : cases) {
    Book b;
    const int32_t summary = c.summaryAbove ? 0 : 2;
    if (c.summaryAbove) b.sheet->GetOutline().SetSummaryRow(0);
    b.Set(summary + 1, 1, u"Total");
    for (int32_t row = 0; row <= 2; ++row) {
      if (row == summary) continue;
      b.sheet->RowInfo().SetRowOutlineLevel(row, 2);
      b.sheet->RowInfo().SetRowHidden(row, c.hidden);
    }
    std::vector<uint16_t> options;
    for (const TRecord& r : SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkCells))
      if (r.number == kRecRow) options.push_back(static_cast<uint16_t>(r.payload[12] | r.payload[13] << 8));
    EXPECT_EQ(options, c.options) << "summary " << (c.summaryAbove ? "above" : "below") << ", hidden " << c.hidden;
  }
}

TEST(SheetRecords, WindowAndSelectionFollowTheSheet) {
  Book b;
  IXLSWorksheet* second = b.book->Worksheets()->Add();
  second->SetZoom(TVariant(int32_t{150}));
  second->SetDisplayGridlines(false);
  second->Range(u"C5", u"B2")->Activate();
  second->Activate();
  const auto tail1 = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkTail, 1);
  const auto tail2 = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkTail, 2);
  auto find = [](const std::vector<TRecord>& records, uint16_t number) -> const TRecord* {
    for (const auto& r : records)
      if (r.number == number) return &r;
    return nullptr;
  };
  ASSERT_NE(find(tail1, kRecWindow2), nullptr);
  // Only the active sheet is the displayed one (0x0400).
  EXPECT_EQ(find(tail1, kRecWindow2)->payload, Hex("B6 00 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00"));
  EXPECT_EQ(find(tail1, kRecScl), nullptr);
  EXPECT_EQ(find(tail1, kRecSelection)->payload, Hex("03 00 00 00 00 00 00 01 00 00 00 00 00 00 00"));
  EXPECT_EQ(tail1.back().number, kRecEOF);

  // Activate on the second sheet selects it (and deselects the first).
  EXPECT_EQ(find(tail2, kRecWindow2)->payload, Hex("B4 06 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00"));
  EXPECT_EQ(find(tail2, kRecScl)->payload, Hex("96 00 64 00"));
  EXPECT_EQ(find(tail2, kRecSelection)->payload, Hex("03 01 00 01 00 00 00 01 00 01 00 04 00 01 02"));
}

TEST(SheetRecords, SheetOptionsGoWhereTheirRecordsBelong) {
  Book b;
  b.Set(1, 1, 1.0);
  XLSPtr<TXLSPageSetup> setup(new TXLSPageSetup());
  setup->SetLeftHeader(u"Left");
  TXLSProtect protect;
  protect.ProtectWithPassword("secret");
  std::unique_ptr<TXLSPanes> panes;
  bool frozen = false;
  ApplyFreezePanes(panes, frozen, 1, 0, 0, 1);  // the top row stays in view
  TXLSHPageBreaks breaks;
  breaks.Add(10);
  TXLSSheetParts parts;
  parts.pageSetup = setup.Get();
  parts.protect = &protect;
  parts.panes = panes.get();
  parts.frozenPanes = frozen;
  parts.horizontalBreaks = &breaks;
  auto source = [&](IXLSWorksheet&) { return parts; };
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    const bool biff8 = format == kSaveBiff8;
    TXLSGlobalsWriter writer(*b.book, format, source);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const TXLSSheetWriter& sheet = *writer.Sheet(1);
    const auto settings = Walk(sheet.List(TXLSSheetWriter::lkSettings).Bytes());
    std::vector<uint16_t> expected{kRecCalcMode, kRecCalcCount,  kRecRefMode,     kRecIteration,
                                   kRecDelta,    kRecSaveRecalc, kRecDefColWidth, kRecDefaultRowHeight};
    if (!biff8) expected.insert(expected.end(), {0x0016, 0x0017, 0x0017});  // EXTERNCOUNT, self, book
    expected.insert(expected.end(), {0x002A, 0x002B, 0x0082, kRecGuts, 0x0081, 0x001B, 0x00A1, 0x0012, 0x00DD, 0x0063,
                                     0x0013, kRecDimensions});
    EXPECT_EQ(Numbers(settings), expected);
    if (!biff8) {
      EXPECT_EQ(settings[9].payload, Hex("01 02")) << "the sheet's own EXTERNSHEET";
    }

    const auto tail = Walk(sheet.List(TXLSSheetWriter::lkTail).Bytes());
    expected = {0x0029, 0x0028, 0x0027, 0x0026, 0x0084, 0x0083, 0x0015, 0x0014, kRecWindow2, 0x0041, kRecSelection};
    if (biff8) expected.push_back(0x0867);
    expected.push_back(kRecEOF);
    EXPECT_EQ(Numbers(tail), expected);
    // Frozen panes: WINDOW2 carries the frozen bit; the frozen row puts the
    // cursor in the lower pane (2), which SELECTION names.
    EXPECT_EQ(tail[8].payload[0], 0xBE);
    EXPECT_EQ(tail[9].payload, Hex("00 00 01 00 01 00 00 00 02 00"));
    EXPECT_EQ(tail[10].payload[0], 0x02);
    EXPECT_EQ(sheet.Total(),
              sheet.List(TXLSSheetWriter::lkHead).Total() + sheet.List(TXLSSheetWriter::lkSettings).Total() +
                  sheet.List(TXLSSheetWriter::lkCells).Total() + sheet.List(TXLSSheetWriter::lkTail).Total());
  }
}

TEST(SheetRecords, TheWorksheetsOwnOptionsAreWritten) {
  Book b;
  b.sheet->FreezePanes(0, 2, 2, 0);  // two frozen columns
  b.sheet->Protection().ProtectWithPassword("pw");
  b.sheet->VPageBreaks().Add(4);
  b.sheet->SetDisplayZeros(false);
  const auto settings = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkSettings);
  const auto tail = SheetList(*b.book, kSaveBiff8, TXLSSheetWriter::lkTail);
  auto has = [](const std::vector<TRecord>& records, uint16_t number) {
    return std::any_of(records.begin(), records.end(), [&](const TRecord& r) { return r.number == number; });
  };
  EXPECT_TRUE(has(settings, 0x001A)) << "VERTICALPAGEBREAKS";
  EXPECT_TRUE(has(settings, 0x0012) && has(settings, 0x0013)) << "PROTECT, PASSWORD";
  EXPECT_TRUE(has(tail, 0x0867)) << "SHEETPROTECTION";
  ASSERT_TRUE(has(tail, 0x0041));
  for (const TRecord& r : tail) {
    // Frozen on, zeros off; the frozen columns put the cursor in the right pane.
    if (r.number == kRecWindow2) {
      EXPECT_EQ(r.payload[0], 0xAE);
    } else if (r.number == 0x0041) {
      EXPECT_EQ(r.payload, Hex("02 00 00 00 00 00 02 00 01 00"));
    } else if (r.number == kRecSelection) {
      EXPECT_EQ(r.payload[0], 0x01);
    }
  }
  EXPECT_EQ(b.sheet->ActivePane(), 1) << "the sheet keeps the pane for SELECTION";
}

}  // namespace
}  // namespace lx

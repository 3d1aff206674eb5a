#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

#include "lxConstants.h"
#include "lxDraw.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

struct TRecord {
  uint16_t number;
  std::vector<uint8_t> data;
};

std::vector<TRecord> Records(const TXLSBlobList& list) {
  const std::vector<uint8_t> bytes = list.Bytes();
  std::vector<TRecord> records;
  for (size_t at = 0; at + 4 <= bytes.size();) {
    const uint16_t number = static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    const uint16_t length = static_cast<uint16_t>(bytes[at + 2] | (bytes[at + 3] << 8));
    records.push_back({number, std::vector<uint8_t>(bytes.begin() + at + 4, bytes.begin() + at + 4 + length)});
    at += 4 + length;
  }
  return records;
}

// Bytes compared as hex text, the expected ones written with any spacing.
std::string Expected(std::string_view hex) { return ToHex(Hex(hex)); }

std::vector<uint16_t> Numbers(const std::vector<TRecord>& records) {
  std::vector<uint16_t> numbers;
  for (const TRecord& record : records) numbers.push_back(record.number);
  return numbers;
}

// Reads a sheet's records back into a drawing the way the workbook reader
// does: MSODRAWING bytes, OBJ, TXO with its CONTINUE pieces, NOTE.
void ReadBack(const std::vector<TRecord>& records, TMsoDrawing& drawing) {
  for (size_t i = 0; i < records.size(); ++i) {
    const TRecord& record = records[i];
    if (record.number == kRecMsoDrawing) {
      (void)drawing.ReadDrawingData(record.data);
    } else if (record.number == kRecObj) {
      (void)drawing.ReadObjRecord(record.data);
    } else if (record.number == kRecTxo) {
      std::vector<std::span<const uint8_t>> pieces{record.data};
      while (i + 1 < records.size() && records[i + 1].number == kRecContinue) pieces.push_back(records[++i].data);
      (void)drawing.ReadTxoRecord(pieces, false);
    } else if (record.number == kRecNote) {
      const auto& d = record.data;
      const auto word = [&d](size_t at) { return static_cast<uint16_t>(d[at] | (d[at + 1] << 8)); };
      std::u16string author;
      for (size_t c = 0; c < word(8); ++c) author.push_back(d[11 + c]);
      (void)drawing.ReadNoteRecord(word(0), word(2), word(4), word(6), author);
    }
  }
  drawing.FinishDrawingRead();
}

TEST(DrawIds, ClustersOf1024PerDrawing) {
  // {shapes in the first drawing, shapes in the second}: expected first and
  // last identifiers of each and the clusters afterwards.
  struct TCase {
    int first, second;
    uint32_t firstLast, secondFirst, secondLast;
    std::vector<std::pair<uint32_t, uint32_t>> clusters;
  } cases[] = {
      {1, 0, 1025, 0, 0, {{1, 2}}},
      // The group shape and 1023 shapes fill the first cluster exactly.
      {1023, 1, 2047, 2048, 2049, {{1, 1024}, {2, 2}}},
      // The 1025th identifier of a drawing opens a second cluster at 2048.
      {1024, 2, 2048, 3072, 3074, {{1, 1024}, {1, 1}, {2, 3}}},
  };
  for (const TCase& c : cases) {
    TMSODrawingGroup group;
    TMsoDrawing empty, first, second;
    for (int i = 0; i < c.first; ++i) first.AddCommentBox(static_cast<uint16_t>(i), 0);
    for (int i = 0; i < c.second; ++i) second.AddCommentBox(static_cast<uint16_t>(i), 0);
    group.ResetDrawingIds();
    empty.PrepareDrawingIds(group);
    first.PrepareDrawingIds(group);
    second.PrepareDrawingIds(group);
    EXPECT_EQ(empty.DrawingId(), 0u);
    EXPECT_EQ(first.DrawingId(), 1u);
    EXPECT_EQ(first.FirstShapeId(), 1024u);
    EXPECT_EQ(first.Item(0).Sp().ShapeId, 1025u);
    EXPECT_EQ(first.LastShapeId(), c.firstLast) << c.first;
    EXPECT_EQ(second.FirstShapeId(), c.secondFirst) << c.first;
    EXPECT_EQ(second.LastShapeId(), c.secondLast) << c.first;
    std::vector<std::pair<uint32_t, uint32_t>> clusters;
    for (const auto& item : group.Dgg().Clusters()) clusters.emplace_back(item.DrawingId, item.Used);
    EXPECT_EQ(clusters, c.clusters) << c.first;
    EXPECT_EQ(group.Dgg().ShapesSaved(), static_cast<uint32_t>(c.first + 1 + (c.second ? c.second + 1 : 0)));
    // A new save starts over.
    group.ResetDrawingIds();
    first.PrepareDrawingIds(group);
    EXPECT_EQ(first.FirstShapeId(), 1024u);
  }
  TMsoFbtDGG dgg;
  dgg.AllocateDrawingId();
  dgg.AllocateDrawingId();
  (void)dgg.AllocateShapeId(1);
  (void)dgg.AllocateShapeId(2);
  dgg.ReleaseDrawingId(1);
  dgg.ReleaseDrawingId(0);
  ASSERT_EQ(dgg.Clusters().size(), 1u);
  EXPECT_EQ(dgg.Clusters()[0].DrawingId, 2u);
  EXPECT_EQ(dgg.DrawingsSaved(), 1u);
}

TEST(DrawGroup, WrittenWithClustersAndSplitAtExactByteCounts) {
  TMSODrawingGroup group;
  TXLSBlobList nothing;
  group.WriteDrawingGroup(nothing, kMaxRecordDataBiff8);
  EXPECT_EQ(nothing.Total(), 0u) << "no drawing took an identifier";

  TMsoDrawing drawing;
  drawing.AddCommentBox(0, 0);
  drawing.PrepareDrawingIds(group);
  TXLSBlobList small;
  group.WriteDrawingGroup(small, kMaxRecordDataBiff8);
  EXPECT_EQ(
      ToHex(small.Bytes()),
      Expected("EB 00 48 00  0F 00 00 F0 40 00 00 00"
               "  00 00 06 F0 18 00 00 00  02 04 00 00 02 00 00 00 02 00 00 00 01 00 00 00  01 00 00 00 02 00 00 00"
               "  03 00 0B F0 00 00 00 00"
               "  40 00 1E F1 10 00 00 00  0D 00 00 08 0C 00 00 08 17 00 00 08 F7 00 00 10"));

  // A picture store read from a file makes the group longer than a record:
  // MSODRAWINGGROUP carries the first maxRecordData bytes, CONTINUE the rest.
  // One PNG entry of 20000 bytes: its 36-byte header, the picture record's
  // header, identifier and tag byte, then the picture.
  std::vector<uint8_t> png(20000 - 36 - 8 - 17);
  for (size_t i = 0; i < png.size(); ++i) png[i] = static_cast<uint8_t>(i * 7);
  TXLSBlob file(0);
  TMSOHeader{0xF, 0, kFbtDggContainer, 8 + 8 + 20000}.WriteTo(file);
  TMSOHeader{0xF, 1, kFbtBStoreContainer, 8 + 20000}.WriteTo(file);
  TMSOHeader{2, 6, kFbtBse, 20000}.WriteTo(file);
  std::vector<uint8_t> header(36);
  header[0] = header[1] = kBlipPng;
  const uint32_t blipSize = 8 + 17 + static_cast<uint32_t>(png.size());
  std::memcpy(&header[20], &blipSize, 4);
  file.AddBytes(header.data(), 36);
  TMSOHeader{0, 0x6E0, kFbtBlipFirst + kBlipPng, blipSize - 8}.WriteTo(file);
  file.AddBytes(std::vector<uint8_t>(17).data(), 17);
  file.AddBytes(png.data(), static_cast<uint32_t>(png.size()));
  ASSERT_EQ(group.ReadDrawingGroup(std::span<const uint8_t>(file.Data(), file.Length())), kResultOk);
  ASSERT_EQ(group.Pictures().Count(), 1u);
  for (uint16_t limit : {kMaxRecordDataBiff8, uint16_t{100}}) {
    TXLSBlobList list;
    group.WriteDrawingGroup(list, limit);
    const auto records = Records(list);
    const uint32_t body = 8 + (24 + 8) + (8 + 8 + 20000) + 8 + 24;
    ASSERT_EQ(records.size(), (body + limit - 1) / limit) << limit;
    std::vector<uint8_t> joined;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].number, i == 0 ? kRecMsoDrawingGroup : kRecContinue);
      EXPECT_EQ(records[i].data.size(), i + 1 < records.size() ? limit : body - limit * i);
      joined.insert(joined.end(), records[i].data.begin(), records[i].data.end());
    }
    // The joined bytes read back to the same store.
    TMSODrawingGroup again;
    ASSERT_EQ(again.ReadDrawingGroup(joined), kResultOk);
    ASSERT_EQ(again.Pictures().Count(), 1u);
    EXPECT_EQ(again.Pictures().Item(0).Data(), png);
  }
}

TEST(DrawSheet, NoShapesWriteNothingAndTakeNoIdentifier) {
  TMSODrawingGroup group;
  TMsoDrawing drawing;
  drawing.PrepareDrawingIds(group);
  TXLSBlobList list;
  drawing.WriteDrawing(list, kMaxRecordDataBiff8, false);
  drawing.WriteNotes(list, true, 1252);
  EXPECT_EQ(list.Total(), 0u);
  EXPECT_EQ(group.Dgg().DrawingsSaved(), 0u);
  EXPECT_FALSE(group.HasContent());
}

TEST(DrawSheet, CommentRecordsInOrderWithSortedProperties) {
  TMSODrawingGroup group;
  TMsoDrawing drawing;
  TMsoShapeContainer& box = drawing.AddCommentBox(2, 3);
  box.SetText(u"Hi");
  box.SetAuthor(u"Ann");
  TMsoShapeContainer& empty = drawing.AddCommentBox(4, 1);
  drawing.PrepareDrawingIds(group);
  TXLSBlobList list;
  drawing.WriteDrawing(list, kMaxRecordDataBiff8, false);
  drawing.WriteNotes(list, true, 1252);
  const auto records = Records(list);
  EXPECT_EQ(Numbers(records),
            (std::vector<uint16_t>{kRecMsoDrawing, kRecObj, kRecMsoDrawing, kRecTxo, kRecContinue, kRecContinue,
                                   kRecMsoDrawing, kRecObj, kRecMsoDrawing, kRecTxo, kRecNote, kRecNote}));
  // Drawing container, drawing atom, group container, group shape, then the
  // first comment's container with its properties in ascending order.
  const std::string head = ToHex(std::vector<uint8_t>(records[0].data.begin(), records[0].data.begin() + 80));
  EXPECT_EQ(head, Expected("0F 00 02 F0 48 01 00 00  10 00 08 F0 08 00 00 00 03 00 00 00 02 04 00 00"
                           "  0F 00 03 F0 30 01 00 00  0F 00 04 F0 28 00 00 00"
                           "  01 00 09 F0 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                           "  02 00 0A F0 08 00 00 00 00 04 00 00 05 00 00 00"));
  const std::vector<uint8_t> shape(records[0].data.begin() + 80, records[0].data.end());
  EXPECT_EQ(shape.size(), box.Size() - 8);
  EXPECT_EQ(ToHex(std::vector<uint8_t>(shape.begin(), shape.begin() + 24 + 8 + 54)),
            Expected("0F 00 04 F0 78 00 00 00  A2 0C 0A F0 08 00 00 00 01 04 00 00 00 0A 00 00"
                     "  93 00 0B F0 36 00 00 00"
                     "  80 00 00 00 BF 00  8B 00 02 00 00 00  BF 00 08 00 08 00  81 01 50 00 00 08  83 01 50 00 00 08"
                     "  BF 01 10 00 10 00  01 02 00 00 00 00  3F 02 03 00 03 00  BF 03 02 00 02 00"));
  EXPECT_EQ(ToHex(records[1].data), "15 00 12 00 19 00 01 00 11 60 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(ToHex(records[2].data), "00 00 0D F0 00 00 00 00");
  EXPECT_EQ(ToHex(records[3].data), "12 00 00 00 00 00 00 00 00 00 02 00 10 00 00 00 00 00");
  EXPECT_EQ(ToHex(records[4].data), "01 48 00 69 00");
  EXPECT_EQ(ToHex(records[5].data), "00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00");
  // The empty comment: TXO with no text and no CONTINUE records.
  EXPECT_EQ(ToHex(records[9].data), "12 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(ToHex(records[10].data), "02 00 03 00 00 00 01 00 03 00 00 41 6E 6E 00");
  EXPECT_EQ(ToHex(records[11].data), "04 00 01 00 00 00 02 00 00 00 00 00");
  (void)empty;

  // A workbook protected with a password scrambles the text bytes (each
  // rotated left by 5 bits), and reading with the flag restores them.
  TMSODrawingGroup scrambledGroup;
  TMsoDrawing scrambled;
  scrambled.AddCommentBox(0, 0).SetText(u"Hi");
  scrambled.PrepareDrawingIds(scrambledGroup);
  TXLSBlobList secret;
  scrambled.WriteDrawing(secret, kMaxRecordDataBiff8, true);
  const auto secretRecords = Records(secret);
  EXPECT_EQ(ToHex(secretRecords[4].data), "20 09 00 2D 00");
  TMsoDrawing unscrambled;
  (void)unscrambled.ReadDrawingData(secretRecords[0].data);
  (void)unscrambled.ReadObjRecord(secretRecords[1].data);
  (void)unscrambled.ReadDrawingData(secretRecords[2].data);
  (void)unscrambled.ReadTxoRecord({secretRecords[3].data, secretRecords[4].data, secretRecords[5].data}, true);
  ASSERT_EQ(unscrambled.Count(), 1u);
  EXPECT_EQ(unscrambled.Item(0).Text(), u"Hi");

  // BIFF5: plain NOTE records with the text, no drawing.
  TXLSBlobList biff5;
  drawing.WriteNotes(biff5, false, 1252);
  const auto notes = Records(biff5);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(ToHex(notes[0].data), "02 00 03 00 02 00 48 69");
  EXPECT_EQ(ToHex(notes[1].data), "04 00 01 00 00 00");
}

TEST(DrawSheet, ReadsBackWhatItWrote) {
  TMSODrawingGroup group;
  TMsoDrawing drawing;
  TMsoShapeContainer& box = drawing.AddCommentBox(7, 2);
  box.SetText(std::u16string(5000, u'\u0416'));  // longer than one CONTINUE
  box.SetAuthor(u"Bob");
  drawing.AddAutoFilterArrow(0, 4);
  drawing.PrepareDrawingIds(group);
  TXLSBlobList list;
  drawing.WriteDrawing(list, kMaxRecordDataBiff8, false);
  drawing.WriteNotes(list, true, 1252);
  const auto records = Records(list);

  std::vector<std::pair<uint16_t, uint16_t>> arrows;
  TMsoDrawing read;
  read.SetArrowFound(
      [&arrows](uint16_t row, uint16_t column, TMsoShapeContainer&) { arrows.emplace_back(row, column); });
  ReadBack(records, read);
  ASSERT_FALSE(read.ReadFailed());
  ASSERT_EQ(read.Count(), 2u);
  EXPECT_EQ(read.Item(0).Text(), box.Text());
  EXPECT_EQ(read.Item(0).Author(), u"Bob");
  EXPECT_EQ(read.Item(0).Row(), 7);
  EXPECT_EQ(read.Item(0).Column(), 2);
  EXPECT_TRUE(read.Item(0).IsComment());
  EXPECT_FALSE(read.Item(0).IsVisible());
  EXPECT_TRUE(read.Item(1).IsAutoFilterArrow());
  EXPECT_EQ(arrows, (std::vector<std::pair<uint16_t, uint16_t>>{{0, 4}}));

  // Written again, the shapes read give the same records, shape identifiers
  // included, however the bytes were cut into MSODRAWING records.
  TMsoDrawing bytewise;
  for (const TRecord& record : records) {
    if (record.number != kRecMsoDrawing) continue;
    for (uint8_t byte : record.data) ASSERT_EQ(bytewise.ReadDrawingData(std::span<const uint8_t>(&byte, 1)), kResultOk);
    break;  // the first record: container heads and the first shape
  }
  EXPECT_FALSE(bytewise.ReadFailed());
  TMSODrawingGroup again;
  read.PrepareDrawingIds(again);
  TXLSBlobList rewritten;
  read.WriteDrawing(rewritten, kMaxRecordDataBiff8, false);
  read.WriteNotes(rewritten, true, 1252);
  EXPECT_EQ(rewritten.Bytes(), list.Bytes());
}

TEST(DrawSheet, NestedGroupsAreSkippedAndTheShapesAfterThemRead) {
  TMSODrawingGroup group;
  TMsoDrawing source;
  source.AddCommentBox(1, 1).SetText(u"Hi");
  source.PrepareDrawingIds(group);
  TXLSBlobList list;
  source.WriteDrawing(list, kMaxRecordDataBiff8, false);
  const auto records = Records(list);
  // A nested group of one shape goes before the comment's container; the
  // drawing and top group containers grow by its 32 bytes.
  std::vector<uint8_t> first = records[0].data;
  const std::vector<uint8_t> nested =
      Hex("0F 00 03 F0 18 00 00 00  0F 00 04 F0 10 00 00 00  A2 0C 0A F0 08 00 00 00 07 04 00 00 02 0A 00 00");
  first.insert(first.begin() + 80, nested.begin(), nested.end());
  first[4] += 32;
  first[28] += 32;
  const std::vector<uint8_t> nestedObj =
      Hex("15 00 12 00 06 00 07 00 11 60 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  TMsoDrawing read;
  EXPECT_EQ(read.ReadDrawingData(std::span<const uint8_t>(first).first(112)), kResultOk);
  EXPECT_EQ(read.ReadObjRecord(nestedObj), kResultFail);
  EXPECT_EQ(read.ReadDrawingData(std::span<const uint8_t>(first).subspan(112)), kResultOk);
  ReadBack(std::vector<TRecord>(records.begin() + 1, records.end()), read);
  EXPECT_FALSE(read.ReadFailed());
  ASSERT_EQ(read.Count(), 1u);
  EXPECT_EQ(read.Item(0).Text(), u"Hi");
  EXPECT_EQ(read.Item(0).ObjectId(), 1);
}

TEST(DrawSheet, MalformedDrawingIsDroppedWhole) {
  // A valid drawing of one shape, then variants that break it.
  TMSODrawingGroup group;
  TMsoDrawing source;
  source.AddCommentBox(1, 1);
  source.PrepareDrawingIds(group);
  TXLSBlobList list;
  source.WriteDrawing(list, kMaxRecordDataBiff8, false);
  const auto records = Records(list);
  const std::vector<uint8_t> good = records[0].data;
  // Offsets in the first MSODRAWING: the drawing container's length at 4,
  // the shape container at 80, its property table header at 104.
  struct TCase {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
  } cases[] = {
      {"shape container overruns its group",
       [](std::vector<uint8_t>& d) { d[84] = 0xFF, d[85] = 0xFF, d[86] = 0xFF, d[87] = 0x7F; }},
      {"property table claims more entries than its bytes",
       [](std::vector<uint8_t>& d) { d[104] = static_cast<uint8_t>((d[104] & 0x0F) | 0xF0), d[105] = 0x7F; }},
      {"complex property longer than the table",
       [](std::vector<uint8_t>& d) { d[113] |= 0x80, d[114] = 0xFF, d[115] = 0xFF; }},
      {"shape atom shorter than 8 bytes",
       [](std::vector<uint8_t>& d) {
         // The atom claims 4 bytes; the bytes after it then misparse, but the
         // short atom fails first.
         d[92] = 4;
       }},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> bad = good;
    c.spoil(bad);
    TMsoDrawing drawing;
    (void)drawing.ReadDrawingData(bad);
    (void)drawing.ReadObjRecord(records[1].data);
    drawing.FinishDrawingRead();
    EXPECT_TRUE(drawing.ReadFailed()) << c.name;
    EXPECT_EQ(drawing.Count(), 0u) << c.name;
  }
  // Containers nested far deeper than any drawing are carried as bytes, not
  // walked: no recursion, no failure, the shape still reads.
  const uint32_t depth = 20000;
  TXLSBlob deep(8 * depth + 100);
  TMSOHeader{0xF, 0, kFbtDgContainer, 8 + 8 + 8 + 16 + 8 * depth + 26}.WriteTo(deep);
  TMSOHeader{0xF, 0, kFbtSpgrContainer, 8 + 8 + 16 + 8 * depth + 26}.WriteTo(deep);
  TMSOHeader{0xF, 0, kFbtSpContainer, 8 + 16 + 8 * depth + 26}.WriteTo(deep);
  TMsoFbtSp{2, kShapeTypeTextBox, 1025, kShapeFlagsNew}.WriteTo(deep);
  for (uint32_t i = 0; i < depth; ++i) TMSOHeader{0xF, 0, 0xF004, 8 * (depth - i - 1)}.WriteTo(deep);
  TMsoFbtClientAnchor{}.WriteTo(deep);
  TMsoDrawing nested;
  EXPECT_EQ(nested.ReadDrawingData(std::span<const uint8_t>(deep.Data(), deep.Length())), kResultOk);
  EXPECT_EQ(nested.ReadObjRecord(records[1].data), kResultOk);
  EXPECT_FALSE(nested.ReadFailed());
  EXPECT_EQ(nested.Count(), 1u);
}

TEST(DrawGeometry, CommentBoxesSitNextToTheirCells) {
  // Columns of 48 points and rows of 12.75; "hidden" makes every column and
  // row hidden, so that no walk finds room.
  const TSheetGeometry sheet{[](int32_t) { return 48.0; }, [](int32_t) { return 12.75; }};
  const TSheetGeometry hidden{[](int32_t) { return 0.0; }, [](int32_t) { return 0.0; }};
  struct TCase {
    uint16_t row, column;
    bool hidden;
    std::array<uint16_t, 8> expected;  // first column, offset, first row, offset, last column, offset, last row, offset
  } cases[] = {
      {2, 2, false, {3, 224, 1, 45, 5, 224, 5, 136}},              // right of the cell, a little above it
      {0, 0, false, {1, 224, 1, 0, 3, 224, 5, 90}},                // top row: starts on the row below
      {4, 255, false, {252, 800, 3, 45, 254, 800, 7, 136}},        // last column: left of the cell
      {65535, 3, false, {4, 224, 65530, 65, 6, 224, 65534, 156}},  // last row: above the cell
      {5, 254, true, {253, 192, 4, 105, 254, 806, 8, 196}},        // no room anywhere: a fixed box
  };
  for (const TCase& c : cases) {
    TMsoFbtClientAnchor a;
    PlaceCommentAnchor(a, c.row, c.column, 96, 55.5, c.hidden ? hidden : sheet);
    const std::array<uint16_t, 8> got{a.FirstColumn, a.FirstColumnOffset, a.FirstRow, a.FirstRowOffset,
                                      a.LastColumn,  a.LastColumnOffset,  a.LastRow,  a.LastRowOffset};
    EXPECT_EQ(got, c.expected) << c.row << "," << c.column;
  }

  // A size becomes an anchor and the anchor measures back to the size.
  TMsoFbtClientAnchor anchor;
  anchor.FirstColumn = 1, anchor.FirstColumnOffset = 512, anchor.FirstRow = 2, anchor.FirstRowOffset = 128;
  AnchorFromShapeSize(anchor, 100, 30, sheet);
  EXPECT_EQ(anchor.LastColumn, 3);
  EXPECT_EQ(anchor.LastColumnOffset, 597);
  EXPECT_EQ(anchor.LastRow, 4);
  EXPECT_EQ(anchor.LastRowOffset, 218);
  double width = 0, height = 0;
  ShapeSizeFromAnchor(anchor, sheet, width, height);
  EXPECT_NEAR(width, 100, 0.05);
  EXPECT_NEAR(height, 30, 0.05);
  anchor.LastRow = 1;  // before the first row
  ShapeSizeFromAnchor(anchor, sheet, width, height);
  EXPECT_EQ(width, 10);
  EXPECT_EQ(height, 10);

  // The comment boxes the engine makes are placed when written.
  TMSODrawingGroup group;
  TMsoDrawing drawing;
  drawing.SetGeometry(sheet);
  drawing.AddCommentBox(2, 2);
  drawing.PrepareDrawingIds(group);
  TXLSBlobList list;
  drawing.WriteDrawing(list, kMaxRecordDataBiff8, false);
  TMsoDrawing read;
  ReadBack(Records(list), read);
  ASSERT_EQ(read.Count(), 1u);
  EXPECT_EQ(read.Item(0).Anchor().LastRowOffset, 136);
}

}  // namespace
}  // namespace lx

// The workbook-globals substream and the save driver: record order of a new
// workbook in both formats, sheet positions, built-in names, saving to files
// and caller streams.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "lxCompoundFile.h"
#include "lxHandle.h"
#include "lxPageSetup.h"
#include "lxStreams.h"
#include "lxWriteGlobals.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

using test::Hex;

using test::TRecord;

std::vector<TRecord> Walk(const std::vector<uint8_t>& bytes) { return test::WalkRecords(bytes); }

uint32_t DWordAt(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// The globals records: both lists, up to and including the globals EOF.
std::vector<TRecord> Globals(const TXLSGlobalsWriter& writer) {
  std::vector<uint8_t> bytes = writer.FirstList().Bytes();
  const std::vector<uint8_t> second = writer.SecondList().Bytes();
  bytes.insert(bytes.end(), second.begin(), second.end());
  return Walk(bytes);
}

std::vector<uint16_t> Numbers(const std::vector<TRecord>& records) {
  std::vector<uint16_t> numbers;
  for (const auto& r : records) numbers.push_back(r.number);
  return numbers;
}

std::vector<uint16_t> Repeat(std::vector<uint16_t> head, uint16_t number, size_t count) {
  head.insert(head.end(), count, number);
  return head;
}

const TRecord* Find(const std::vector<TRecord>& records, uint16_t number) {
  for (const auto& r : records)
    if (r.number == number) return &r;
  return nullptr;
}

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    path = std::filesystem::temp_directory_path() /
           ("lx_globals_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::u16string File(const char* name) const { return (path / name).u16string(); }
};

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(Globals, NewWorkbookBiff8HoldsTheFixedRecordsInOrder) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add();
  TXLSGlobalsWriter writer(*book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const auto records = Globals(writer);
  std::vector<uint16_t> expected{kRecBOF,      kRecCodePage,  kRecDSF,     kRecWindow1,      kRecBackup,
                                 kRecDateMode, kRecPrecision, kRecRefMode, kRecFnGroupCount, kRecBookBool};
  expected = Repeat(expected, 0x0031, 4);   // FONT
  expected = Repeat(expected, 0x00E0, 21);  // XF
  expected = Repeat(expected, 0x0293, 6);   // STYLE
  expected.insert(expected.end(), {0x0092, kRecCountry, kRecRecalcId, kRecBoundSheet, 0x01AE, 0x0017, kRecEOF});
  EXPECT_EQ(Numbers(records), expected);

  EXPECT_EQ(records[0].payload, Hex("00 06 05 00 AF 18 CD 07 C9 80 00 00 06 01 00 00"));
  EXPECT_EQ(records[1].payload, Hex("B0 04"));
  EXPECT_EQ(records[3].payload, Hex("00 00 00 00 BC 25 72 15 38 00 00 00 00 00 01 00 58 02"));
  EXPECT_EQ(records[8].payload, Hex("0E 00"));
  EXPECT_EQ(Find(records, kRecCountry)->payload, Hex("01 00 01 00"));
  EXPECT_EQ(Find(records, kRecRecalcId)->payload, Hex("C1 01 00 00 FF FF FF 00"));
  // Sheet1: position, visible, worksheet, 6 characters, uncompressed.
  const TRecord& bound = *Find(records, kRecBoundSheet);
  const uint32_t globalsSize = writer.FirstList().Total() + writer.SecondList().Total();
  EXPECT_EQ(DWordAt(bound.payload, 0), globalsSize);
  EXPECT_EQ(std::vector<uint8_t>(bound.payload.begin() + 4, bound.payload.end()),
            Hex("00 00 06 01 53 00 68 00 65 00 65 00 74 00 31 00"));
  EXPECT_EQ(writer.SheetPosition(1), globalsSize);
}

TEST(Globals, NewWorkbookBiff5HasExternSheetsAndNoBiff8Records) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add();
  TXLSGlobalsWriter writer(*book, kSaveBiff5);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const auto records = Globals(writer);
  std::vector<uint16_t> expected{kRecBOF,    kRecCodePage, 0x0016,        0x0017,      0x0017,      kRecWindow1,
                                 kRecBackup, kRecDateMode, kRecPrecision, kRecRefMode, kRecBookBool};
  expected = Repeat(expected, 0x0031, 4);
  expected = Repeat(expected, 0x00E0, 21);
  expected = Repeat(expected, 0x0293, 6);
  expected.insert(expected.end(), {0x0092, kRecBoundSheet, kRecEOF});
  EXPECT_EQ(Numbers(records), expected);
  EXPECT_EQ(records[0].payload, Hex("00 05 05 00 6C 09 C9 07"));
  EXPECT_EQ(records[1].payload, Hex("E4 04"));
  EXPECT_EQ(records[2].payload, Hex("02 00"));
  const TRecord& bound = *Find(records, kRecBoundSheet);
  EXPECT_EQ(DWordAt(bound.payload, 0), writer.FirstList().Total() + writer.SecondList().Total());
  EXPECT_EQ(std::vector<uint8_t>(bound.payload.begin() + 4, bound.payload.end()), Hex("00 00 06 53 68 65 65 74 31"));
}

TEST(Globals, SheetPositionsPointAtEachBofAndCarryVisibility) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorkSheets& sheets = *book->Worksheets();
  sheets.Add();
  sheets.Add()->SetVisible(TVariant(false));
  IXLSWorksheet* third = sheets.Add();
  third->Cells()->Item(3, 3)->SetValue(TVariant(u"text"));
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    TXLSGlobalsWriter writer(*book, format);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const std::vector<uint8_t> stream = writer.Bytes();
    std::vector<uint8_t> visibility;
    for (const TRecord& r : Globals(writer)) {
      if (r.number != kRecBoundSheet) continue;
      visibility.push_back(r.payload[4]);
      const uint32_t position = DWordAt(r.payload, 0);
      ASSERT_LT(position + 8, stream.size());
      EXPECT_EQ(stream[position], 0x09);
      EXPECT_EQ(stream[position + 1], 0x08);
      EXPECT_EQ(stream[position + 6], 0x10) << "a worksheet BOF";
    }
    EXPECT_EQ(visibility, Hex("00 01 00"));
  }
}

TEST(Globals, LongestSheetNameAndRepeatedSavesAgree) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->SetName(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
  book->Worksheets()->Add()->Select(false);
  std::vector<uint8_t> window;
  for (int pass = 0; pass < 2; ++pass) {
    TXLSGlobalsWriter writer(*book, kSaveBiff8);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const auto records = Globals(writer);
    EXPECT_EQ(Find(records, kRecBoundSheet)->payload.size(), 70u);
    // Two selected sheets, every time.
    EXPECT_EQ(Find(records, kRecWindow1)->payload, Hex("00 00 00 00 BC 25 72 15 38 00 00 00 00 00 02 00 58 02"));
  }
}

TEST(Globals, ProtectionDateModeAndAddedSheet) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->SetDate1904(true);
  book->Protect();
  TXLSGlobalsWriter writer(*book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  EXPECT_EQ(book->Worksheets()->Count(), 1) << "a workbook without sheets gets one";
  const auto records = Globals(writer);
  EXPECT_EQ(Find(records, kRecDateMode)->payload, Hex("01 00"));
  const TRecord* protect = Find(records, 0x0012);
  ASSERT_NE(protect, nullptr);
  EXPECT_EQ(protect->payload, Hex("01 00"));
  EXPECT_EQ((protect + 1)->number, 0x0013);
}

TEST(Globals, BuiltInNamesVisitSheetsByName) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorkSheets& sheets = *book->Worksheets();
  sheets.Add()->SetName(u"B");
  sheets.Add()->SetName(u"A");
  std::vector<XLSPtr<TXLSPageSetup>> setups{XLSPtr<TXLSPageSetup>(new TXLSPageSetup()),
                                            XLSPtr<TXLSPageSetup>(new TXLSPageSetup())};
  setups[0]->SetPrintAreaCells(0, 0, 2, 9);  // B: A1:C10
  setups[1]->SetPrintAreaCells(1, 1, 1, 1);  // A: B2
  setups[1]->SetPrintTitleRows("$1:$2");
  auto source = [&](IXLSWorksheet& sheet) {
    TXLSSheetParts parts;
    parts.pageSetup = setups[sheet.Index() - 1].Get();
    return parts;
  };
  TXLSGlobalsWriter writer(*book, kSaveBiff8, source);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  std::vector<TRecord> names;
  for (const TRecord& r : Globals(writer))
    if (r.number == 0x0018) names.push_back(r);
  ASSERT_EQ(names.size(), 3u);
  // Print_Area of A (itab 2), of B (itab 1), then Print_Titles of A. Each
  // sheet has its own EXTERNSHEET entry: B's made first (REF 0), A's (REF 1).
  EXPECT_EQ(names[0].payload, Hex("20 00 00 01 0B 00 00 00 02 00 00 00 00 00 00 06"
                                  "3B 01 00 01 00 01 00 01 00 01 00"));
  EXPECT_EQ(names[1].payload, Hex("20 00 00 01 0B 00 00 00 01 00 00 00 00 00 00 06"
                                  "3B 00 00 00 00 09 00 00 00 02 00"));
  EXPECT_EQ(names[2].payload, Hex("20 00 00 01 0B 00 00 00 02 00 00 00 00 00 00 07"
                                  "3B 01 00 00 00 01 00 00 00 FF 00"));

  TXLSGlobalsWriter writer5(*book, kSaveBiff5, source);
  ASSERT_EQ(writer5.WriteWorkbook(), 1);
  names.clear();
  const auto records5 = Globals(writer5);
  for (const TRecord& r : records5)
    if (r.number == 0x0018) names.push_back(r);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0].payload, Hex("20 00 00 01 15 00 02 00 02 00 00 00 00 00 06"
                                  "3B FE FF 00 00 00 00 87 10 05 80 01 00 01 00 01 00 01 00 01 01"));
  // In BIFF5 the names follow the external sheets, before WINDOW1.
  EXPECT_LT(reinterpret_cast<uintptr_t>(Find(records5, 0x0018)),
            reinterpret_cast<uintptr_t>(Find(records5, kRecWindow1)));
}

TEST(SaveDriver, FileAndStreamSavesGiveTheSameDocument) {
  TempDir dir;
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  for (int32_t row = 1; row <= 300; ++row) sheet->Cells()->Item(row, 2)->SetValue(TVariant(row * 1.5));
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"Name"));
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    const std::u16string file = dir.File(format == kSaveBiff8 ? "book8.xls" : "book5.xls");
    TXLSSaveNotes notes;
    ASSERT_EQ(SaveWorkbook(*book, file, nullptr, format, &notes), 1);
    EXPECT_TRUE(notes.formatRemembered);
    EXPECT_TRUE(notes.fileNameStored);
    TMemoryStream stream;
    const uint8_t lead[3] = {1, 2, 3};
    stream.Write(lead, 3);  // the document goes at the stream's position
    ASSERT_EQ(SaveWorkbook(*book, u"ignored.xls", &stream, format, &notes), 1);
    EXPECT_FALSE(notes.fileNameStored);
    EXPECT_EQ(book->FormatCode(), format);
    EXPECT_TRUE(book->NoDocument()) << "no document stays open after the save";
    const std::vector<uint8_t> onDisk = ReadFile(std::filesystem::path(file));
    ASSERT_EQ(stream.Bytes().size(), onDisk.size() + 3);
    EXPECT_TRUE(std::equal(onDisk.begin(), onDisk.end(), stream.Bytes().begin() + 3));

    // The workbook stream holds exactly the records, padded to 512 bytes.
    TCompoundFileReader reader;
    ASSERT_TRUE(reader.Open(onDisk));
    auto workbook = reader.Root().OpenStream(format == kSaveBiff8 ? u"Workbook" : u"Book");
    ASSERT_NE(workbook, nullptr);
    std::vector<uint8_t> content(static_cast<size_t>(workbook->Size()));
    ASSERT_EQ(workbook->Read(content.data(), workbook->Size()), workbook->Size());
    EXPECT_EQ(content.size() % 512, 0u);
    TXLSGlobalsWriter writer(*book, format);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const std::vector<uint8_t> records = writer.Bytes();
    ASSERT_GE(content.size(), records.size());
    EXPECT_TRUE(std::equal(records.begin(), records.end(), content.begin()));
    EXPECT_TRUE(std::all_of(content.begin() + records.size(), content.end(), [](uint8_t b) { return b == 0; }));
  }
}

TEST(SaveDriver, WorkbookSaveAsStoresNameAndFormatForSave) {
  TempDir dir;
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add()->Cells()->Item(1, 1)->SetValue(TVariant(u"first"));
  EXPECT_EQ(book->Save(), -4) << "never saved";
  TMemoryStream stream;
  ASSERT_EQ(book->SaveAs(stream, kSaveBiff5), 1);
  EXPECT_TRUE(book->FileName().empty()) << "a stream save stores no name";
  EXPECT_EQ(book->Save(), -4);

  const std::u16string file = dir.File("saved.xls");
  ASSERT_EQ(book->SaveAs(file, kSaveBiff5), 1);
  EXPECT_EQ(book->FileName(), file);
  EXPECT_EQ(book->LastFormat(), kSaveBiff5);
  book->Worksheets()->Item(1)->Cells()->Item(1, 1)->SetValue(TVariant(u"second"));
  ASSERT_EQ(book->Save(), 1);
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(ReadFile(std::filesystem::path(file))));
  auto stream5 = reader.Root().OpenStream(u"Book");
  ASSERT_NE(stream5, nullptr) << "Save keeps the BIFF5 format";
  std::vector<uint8_t> content(static_cast<size_t>(stream5->Size()));
  stream5->Read(content.data(), stream5->Size());
  const std::string text(content.begin(), content.end());
  EXPECT_NE(text.find("second"), std::string::npos);
  EXPECT_EQ(text.find("first"), std::string::npos);
}

TEST(SaveDriver, FailuresAndFormatCodes) {
  TempDir dir;
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  TXLSSaveNotes notes;
  EXPECT_EQ(SaveWorkbook(*book, u"   ", nullptr, kSaveBiff8, &notes), -1);
  EXPECT_FALSE(notes.fileNameStored);
  EXPECT_EQ(SaveWorkbook(*book, dir.File("no/such/dir/x.xls"), nullptr, kSaveBiff8, &notes), -2);
  EXPECT_EQ(SaveWorkbook(*book, dir.File("x.csv"), nullptr, kSaveCSV, &notes), -1);
  EXPECT_FALSE(notes.formatRemembered);
}

// An unknown format code writes nothing, to a file or a stream, and is not
// remembered: Save goes on with the last good format, or has none.
TEST(SaveDriver, UnknownFormatCodesAreRefused) {
  TempDir dir;
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add()->Cells()->Item(1, 1)->SetValue(TVariant(1.0));
  const std::u16string file = dir.File("x.xls");
  for (int32_t code : {0, -1, 9, 99, INT32_MIN}) {
    SCOPED_TRACE(code);
    TMemoryStream stream;
    EXPECT_EQ(book->SaveAs(stream, code), -1);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(book->SaveAs(file, code), -1);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(file)));
    EXPECT_EQ(book->Save(), -4);
  }
  ASSERT_EQ(book->SaveAs(file, kSaveBiff5), 1);
  EXPECT_EQ(book->SaveAs(file, 99), -1);
  EXPECT_EQ(book->LastFormat(), kSaveBiff5);
  EXPECT_EQ(book->Save(), 1);
}

// A file save goes through the safe save of the platform: through a link to
// the file it names, keeping the permission bits of the file it replaces,
// under a name as long as a name may be.
TEST(SaveDriver, FileSavesFollowLinksAndKeepModes) {
  TempDir dir;
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  book->Worksheets()->Add()->Cells()->Item(1, 1)->SetValue(TVariant(u"kept"));
  const std::filesystem::path target = dir.path / "private.xls";
  { std::ofstream(target) << "old"; }
  std::filesystem::permissions(target, std::filesystem::perms(0600));
  std::filesystem::create_symlink("private.xls", dir.path / "link.xls");
  ASSERT_EQ(book->SaveAs(dir.File("link.xls")), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "link.xls"));
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0600));
  TCompoundFileReader reader;
  EXPECT_TRUE(reader.Open(ReadFile(target)));
  const std::string longName(250, 'n');
  ASSERT_EQ(book->SaveAs(dir.File(longName.c_str())), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 3);
}

}  // namespace
}  // namespace lx

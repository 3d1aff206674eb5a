#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "lxBLOB.h"
#include "lxOLE.h"
#include "lxText.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::unique_ptr<TXLSBlob> Record(std::string_view hex) {
  const std::vector<uint8_t> bytes = test::Hex(hex);
  auto blob = std::make_unique<TXLSBlob>(static_cast<uint32_t>(bytes.size()));
  blob->AddBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return blob;
}

std::vector<uint8_t> ReadAll(TStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  EXPECT_EQ(stream.Read(bytes.data(), stream.Size()), stream.Size());
  return bytes;
}

// Writes a compound file to memory from a writer filled by fill.
template <class Fill>
std::vector<uint8_t> Document(Fill fill) {
  TCompoundFileWriter writer;
  fill(writer.Root());
  TMemoryStream out;
  EXPECT_TRUE(writer.Commit(out));
  return out.Bytes();
}

void PutStream(TCompoundWriteStorage& parent, std::u16string_view name, std::string_view bytes) {
  parent.CreateStream(name)->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

TEST(Container, WorkbookStreamIsPaddedTo512Bytes) {
  TXLSBlobList globals;
  TXLSBlobList sheet;
  globals.AddRecord(Record("0908 1000 0006 0500 AABB CCDD 0000 0000 0000 0000"));  // BOF
  std::unique_ptr<TXLSBlob> filler = std::make_unique<TXLSBlob>(600);
  filler->AddWord(0x00FC);
  filler->AddWord(596);
  for (int i = 0; i < 596; ++i) filler->AddByte(0x11);
  sheet.AddRecord(std::move(filler));
  sheet.AddRecord(Record("0A00 0000"));  // EOF
  const TXLSBlobList* lists[] = {&globals, nullptr, &sheet};

  TMemoryStream target;
  TXLSContainer container;
  ASSERT_EQ(container.CreateContainer(u"", &target), 1);
  ASSERT_EQ(container.WriteWorkbookStream(kSaveBiff8, lists), 1);
  ASSERT_EQ(container.FinishContainer(), 1);

  TXLSContainer reader;
  target.Seek(0, TSeekOrigin::soBeginning);
  ASSERT_EQ(reader.OpenContainer(u"", &target), 1);
  ASSERT_EQ(reader.OpenWorkbookStream(), 1);
  const std::vector<uint8_t> stream = ReadAll(*reader.WorkbookStream());
  ASSERT_EQ(stream.size(), 1024u);  // 20 + 600 + 4 bytes of records, then zeros
  EXPECT_EQ(test::ToHex(stream.data(), 4), "09 08 10 00");
  EXPECT_EQ(test::ToHex(stream.data() + 620, 4), "0A 00 00 00");
  EXPECT_TRUE(std::all_of(stream.begin() + 624, stream.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(reader.ReadRoot()->EnumElements().at(0).Name, u"Workbook");

  // BIFF5 writes "Book"; a stream already a multiple of 512 long gets no padding.
  TMemoryStream target5;
  std::unique_ptr<TXLSBlob> exact = std::make_unique<TXLSBlob>(512);
  for (int i = 0; i < 512; ++i) exact->AddByte(0x22);
  TXLSBlobList list5;
  list5.AddRecord(std::move(exact));
  const TXLSBlobList* lists5[] = {&list5};
  ASSERT_EQ(container.CreateContainer(u"", &target5), 1);
  ASSERT_EQ(container.WriteWorkbookStream(kSaveBiff5, lists5), 1);
  ASSERT_EQ(container.FinishContainer(), 1);
  target5.Seek(0, TSeekOrigin::soBeginning);
  ASSERT_EQ(reader.OpenContainer(u"", &target5), 1);
  const auto elements = reader.ReadRoot()->EnumElements();
  ASSERT_EQ(elements.size(), 1u);
  EXPECT_EQ(elements[0].Name, u"Book");
  EXPECT_EQ(elements[0].Size, 512u);
}

TEST(Container, StreamSaveAppendsAtTheCurrentPositionWithoutRewinding) {
  TMemoryStream target;
  target.Write("prefix", 6);
  TXLSContainer container;
  ASSERT_EQ(container.CreateContainer(u"ignored.xls", &target), 1);
  ASSERT_EQ(container.WriteWorkbookStream(kSaveBiff8, {}), 1);
  ASSERT_EQ(container.FinishContainer(), 1);
  EXPECT_EQ(target.Position(), target.Size());
  EXPECT_EQ(test::ToHex(target.Bytes().data() + 6, 4), "D0 CF 11 E0");
  EXPECT_TRUE(container.FileName().empty());
  EXPECT_EQ(container.FinishContainer(), -1) << "nothing left to finish";
}

TEST(Container, SaveResultCodes) {
  TXLSContainer container;
  EXPECT_EQ(container.CreateContainer(u"", nullptr), -1);
  EXPECT_EQ(container.CreateContainer(u"   ", nullptr), -1);
  EXPECT_EQ(container.WriteWorkbookStream(kSaveBiff8, {}), -1) << "no document";
  const std::u16string missing =
      Utf8ToUtf16((std::filesystem::temp_directory_path() / "lx_no_such_dir" / "x" / "book.xls").string());
  EXPECT_EQ(container.CreateContainer(missing, nullptr), -2);
  EXPECT_EQ(container.WriteRoot(), nullptr);
  // A storage already holding the name: the workbook stream cannot be created.
  TMemoryStream target;
  ASSERT_EQ(container.CreateContainer(u"", &target), 1);
  ASSERT_NE(container.WriteRoot()->CreateStorage(u"WORKBOOK"), nullptr);
  EXPECT_EQ(container.WriteWorkbookStream(kSaveBiff8, {}), -1);
  EXPECT_EQ(container.WriteWorkbookStream(kSaveBiff5, {}), 1);
}

TEST(Container, OpenResultCodes) {
  TXLSContainer container;
  EXPECT_EQ(container.OpenContainer(u"", nullptr), -2);
  EXPECT_EQ(container.OpenWorkbookStream(), -3);
  TMemoryStream bare;
  bare.Write("\x09\x08\x08\x00\x00\x05\x05\x00\x00\x00\x00\x00", 12);
  EXPECT_EQ(container.OpenContainer(u"", &bare), -2);
  EXPECT_EQ(bare.Position(), 0) << "set back for the bare record stream attempt";

  TMemoryStream noWorkbook(Document([](TCompoundWriteStorage& root) { PutStream(root, u"Other", "x"); }));
  noWorkbook.Seek(0, TSeekOrigin::soEnd);
  EXPECT_EQ(container.OpenContainer(u"", &noWorkbook), -2) << "read from the current position: nothing left";
  noWorkbook.Seek(0, TSeekOrigin::soBeginning);
  ASSERT_EQ(container.OpenContainer(u"", &noWorkbook), 1);
  EXPECT_EQ(container.OpenWorkbookStream(), -3);
  EXPECT_EQ(container.WorkbookStream(), nullptr);

  for (const char16_t* name : {u"WORKBOOK", u"book", u"Book"}) {
    TMemoryStream file(Document([&](TCompoundWriteStorage& root) { PutStream(root, name, "records"); }));
    ASSERT_EQ(container.OpenContainer(u"", &file), 1);
    ASSERT_EQ(container.OpenWorkbookStream(), 1) << Utf16ToUtf8(name);
    EXPECT_EQ(ReadAll(*container.WorkbookStream()).size(), 7u);
    container.CloseContainer();
    EXPECT_EQ(container.WorkbookStream(), nullptr);
    EXPECT_FALSE(container.ReadRoot().has_value());
  }
}

class ContainerFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("lx_ole_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    target_ = dir_ / "book.xls";
    std::ofstream(target_) << "old contents";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Contents() const {
    std::ifstream in(target_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t FileCount() const { return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {})); }
  std::filesystem::path dir_;
  std::filesystem::path target_;
};

TEST_F(ContainerFiles, AFailedSaveLeavesTheOldFileAlone) {
  const std::u16string name = Utf8ToUtf16(target_.string());
  {
    TXLSContainer container;
    ASSERT_EQ(container.CreateContainer(name, nullptr), 1);
    EXPECT_EQ(FileCount(), 2u) << "the temporary file sits beside the target";
    ASSERT_EQ(container.WriteWorkbookStream(kSaveBiff8, {}), 1);
    container.AbandonContainer();
    EXPECT_EQ(Contents(), "old contents");
    EXPECT_EQ(FileCount(), 1u);
    ASSERT_EQ(container.CreateContainer(name, nullptr), 1);
  }  // destroyed without finishing
  EXPECT_EQ(Contents(), "old contents");
  EXPECT_EQ(FileCount(), 1u);

  TXLSContainer container;
  ASSERT_EQ(container.CreateContainer(name, nullptr), 1);
  ASSERT_EQ(container.WriteWorkbookStream(kSaveBiff8, {}), 1);
  ASSERT_EQ(container.FinishContainer(), 1);
  EXPECT_EQ(container.FileName(), name);
  EXPECT_EQ(FileCount(), 1u);
  EXPECT_EQ(Contents().substr(0, 4), "\xD0\xCF\x11\xE0");
  ASSERT_EQ(container.OpenContainer(name, nullptr), 1);
  EXPECT_EQ(container.OpenWorkbookStream(), 1);
}

TEST_F(ContainerFiles, AFileThatCannotBeReplacedGivesMinus2) {
  std::filesystem::remove(target_);
  std::filesystem::create_directories(target_ / "occupied");
  TXLSContainer container;
  // A directory is refused before anything is written.
  EXPECT_EQ(container.CreateContainer(Utf8ToUtf16(target_.string()), nullptr), -2);
  EXPECT_EQ(container.FinishContainer(), -1);
  EXPECT_TRUE(std::filesystem::is_directory(target_ / "occupied"));
  EXPECT_EQ(FileCount(), 1u) << "no temporary file left behind";
}

// A file as a reader would meet it: a macro project with nested storages and a Ctls stream.
std::vector<uint8_t> FileWithForeignContent(const char16_t* projectName) {
  return Document([&](TCompoundWriteStorage& root) {
    PutStream(root, u"Workbook", std::string(700, 'w'));
    PutStream(root, u"Ctls", std::string(5000, 'c'));
    TCompoundWriteStorage* project = root.CreateStorage(projectName);
    PutStream(*project, u"PROJECT", "ID=\"{0}\"");
    PutStream(*project, u"PROJECTwm", "");
    TCompoundWriteStorage* vba = project->CreateStorage(u"VBA");
    PutStream(*vba, u"dir", std::string(300, 'd'));
    PutStream(*vba, u"ThisWorkbook", std::string(4096, 't'));
    vba->CreateStorage(u"Empty");
  });
}

// "path kind size" lines for every element below storage, in enumeration order.
void Describe(const TCompoundReadStorage& storage, const std::string& prefix, std::string& out) {
  for (const TCompoundElement& e : storage.EnumElements()) {
    const std::string path = prefix + Utf16ToUtf8(e.Name);
    if (e.Type == TCompoundElementType::ceStorage) {
      out += path + "/\n";
      Describe(*storage.OpenStorage(e.Name), path + "/", out);
    } else {
      const std::vector<uint8_t> bytes = ReadAll(*storage.OpenStream(e.Name));
      out += path + " " + std::to_string(bytes.size()) + " " +
             std::string(bytes.begin(), bytes.begin() + std::min<size_t>(3, bytes.size())) + "\n";
    }
  }
}

TEST(Snapshots, MacroProjectAndControlsTravelToASaveInTheSameFormat) {
  TMemoryStream source(FileWithForeignContent(kVbaProjectStorageBiff8));
  TXLSContainer reader;
  ASSERT_EQ(reader.OpenContainer(u"", &source), 1);
  std::unique_ptr<TXLSFileStorage> project;
  std::unique_ptr<TXLSFileStream> controls;
  reader.TakeSnapshots(kSaveBiff8, project, controls);
  ASSERT_NE(project, nullptr);
  ASSERT_NE(controls, nullptr);
  EXPECT_FALSE(controls->SizeKnown());
  EXPECT_EQ(controls->Size(), 5000);
  EXPECT_EQ(controls->Content().Length(), 5000u);
  // Children in enumeration (sibling) order: shorter names first.
  ASSERT_EQ(project->Items().size(), 3u);
  EXPECT_EQ(project->Items()[0]->Name(), u"VBA");
  const auto* stream = dynamic_cast<const TXLSFileStream*>(project->Items()[1].get());
  ASSERT_NE(stream, nullptr);
  EXPECT_TRUE(stream->SizeKnown());
  EXPECT_EQ(stream->Size(), 8);

  std::string expected;
  Describe(*reader.ReadRoot()->OpenStorage(kVbaProjectStorageBiff8), "", expected);
  for (int saveFormat : {kSaveBiff8, kSaveBiff5}) {
    TMemoryStream target;
    TXLSContainer writer;
    ASSERT_EQ(writer.CreateContainer(u"", &target), 1);
    ASSERT_EQ(writer.WriteWorkbookStream(saveFormat, {}), 1);
    writer.WriteCarriedContent(saveFormat, kSaveBiff8, project.get(), controls.get());
    ASSERT_EQ(writer.FinishContainer(), 1);
    TXLSContainer check;
    target.Seek(0, TSeekOrigin::soBeginning);
    ASSERT_EQ(check.OpenContainer(u"", &target), 1);
    const TCompoundReadStorage root = *check.ReadRoot();
    if (saveFormat == kSaveBiff8) {
      std::string carried;
      Describe(*root.OpenStorage(kVbaProjectStorageBiff8), "", carried);
      EXPECT_EQ(carried, expected);
      EXPECT_EQ(ReadAll(*root.OpenStream(u"Ctls")), std::vector<uint8_t>(5000, 'c'));
    } else {
      EXPECT_EQ(root.EnumElements().size(), 1u) << "another format drops the carried content";
    }
  }
  EXPECT_EQ(expected, "VBA/\nVBA/dir 300 ddd\nVBA/Empty/\nVBA/ThisWorkbook 4096 ttt\nPROJECT 8 ID=\nPROJECTwm 0 \n");
}

TEST(Snapshots, MissingOrUnreadableContentIsNotKept) {
  // A BIFF5 reader looks for "_VBA_PROJECT", which this BIFF8 file lacks.
  TMemoryStream source(FileWithForeignContent(kVbaProjectStorageBiff8));
  TXLSContainer reader;
  ASSERT_EQ(reader.OpenContainer(u"", &source), 1);
  std::unique_ptr<TXLSFileStorage> project;
  std::unique_ptr<TXLSFileStream> controls;
  reader.TakeSnapshots(kSaveBiff5, project, controls);
  EXPECT_EQ(project, nullptr);
  EXPECT_NE(controls, nullptr);

  // Storages nested deeper than a macro project ever is are refused whole.
  TMemoryStream deep(Document([](TCompoundWriteStorage& root) {
    TCompoundWriteStorage* s = root.CreateStorage(kVbaProjectStorageBiff8);
    for (uint32_t i = 0; i < kMaxSnapshotDepth + 5; ++i) s = s->CreateStorage(u"x");
    PutStream(*s, u"leaf", "z");
  }));
  ASSERT_EQ(reader.OpenContainer(u"", &deep), 1);
  reader.TakeSnapshots(kSaveBiff8, project, controls);
  EXPECT_EQ(project, nullptr);
  EXPECT_EQ(controls, nullptr);

  TXLSFileStream absent(u"Nothing");
  EXPECT_EQ(absent.LoadFrom(*reader.ReadRoot()), -1);
  TXLSFileStorage notAStorage(u"Workbook");
  TMemoryStream plain(FileWithForeignContent(kVbaProjectStorageBiff8));
  ASSERT_EQ(reader.OpenContainer(u"", &plain), 1);
  EXPECT_EQ(notAStorage.LoadFrom(*reader.ReadRoot()), -1);
}

}  // namespace
}  // namespace lx

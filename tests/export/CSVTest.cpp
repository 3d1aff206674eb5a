// Delimited text: field text and quoting, the shapes of the values, wide
// output, the workbook and range saves, and a failed save over a file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lxCSV.h"
#include "lxHandle.h"
#include "support/LocaleGuard.h"
#include "support/TempDir.h"

namespace lx {
namespace {

using test::TLocaleGuard;

std::string Bytes(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

TVariant Row(std::initializer_list<TVariant> values) {
  TVariant row = TVariant::CreateArray(0, static_cast<int32_t>(values.size()));
  int32_t i = 0;
  for (const TVariant& value : values) row.SetArrayItem(i++, value);
  return row;
}

TEST(CSV, FieldsAreQuotedWhereTheSeparatorOrALineWouldBreakThem) {
  const TLocaleGuard locale{TFormatSettings{}};
  struct TCase {
    TVariant values;
    bool tabs;
    std::string expected;
  };
  const TCase cases[] = {
      {Row({1.5, u"a b"}), false, "1.5,\"a b\"\r\n"},
      {Row({true, false, TVariant()}), false, "True,False,\r\n"},
      {Row({u"say \"hi\""}), false, "\"say \"\"hi\"\"\"\r\n"},
      {Row({u"a,b", u"a\tb"}), false, "\"a,b\",a\tb\r\n"},
      {Row({u"a,b", u"a\tb"}), true, "a,b\t\"a\tb\"\r\n"},
      {Row({u"one\ntwo", u"cr\r"}), false, "\"one\ntwo\",\"cr\r\"\r\n"},
      {Row({int32_t{42}, -1234.5678, 1e300, 1.0 / 3.0}), false, "42,-1234.5678,1E+300,0.333333333333333\r\n"},
      {Row({TVariant::FromError(7), u"x"}), false, ",x\r\n"},  // no text: an empty field
      {TVariant(u"single"), false, "single\r\n"},
  };
  for (const TCase& c : cases) {
    TMemoryStream stream;
    TXLSCSVSaver csv(false);
    TXLSTSVSaver tsv(false);
    EXPECT_EQ((c.tabs ? static_cast<TXLSCSVSaver&>(tsv) : csv).SaveToStream(stream, c.values), kResultOk);
    EXPECT_EQ(Bytes(stream), c.expected);
  }
}

TEST(CSV, ShapesAndWideOutput) {
  TVariant grid = TVariant::CreateArray(1, 2, 1, 2);
  grid.SetArrayItem(1, 1, TVariant(u"\u0416"));
  grid.SetArrayItem(1, 2, TVariant(1));
  grid.SetArrayItem(2, 1, TVariant(u"\u65e5"));
  TMemoryStream narrow;
  EXPECT_EQ(TXLSCSVSaver(false).SaveToStream(narrow, grid), kResultOk);
  EXPECT_EQ(Bytes(narrow), "?,1\r\n?,\r\n");  // the system code page has neither letter

  TMemoryStream wide;
  EXPECT_EQ(TXLSTSVSaver(true).SaveToStream(wide, grid), kResultOk);
  const std::string expected("\xFF\xFE\x16\x04\x09\x00\x31\x00\x0D\x00\x0A\x00\xE5\x65\x09\x00\x0D\x00\x0A\x00", 20);
  EXPECT_EQ(Bytes(wide), expected);
}

class CSVFiles : public test::TTempDirTest {};

TEST_F(CSVFiles, WorkbookAndRangeSaveTheirCellsByCode) {
  const TLocaleGuard locale{TFormatSettings{}};
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* first = book->Worksheets()->Add();
  IXLSWorksheet* second = book->Worksheets()->Add();
  first->Cells()->Item(2, 2)->SetValue(TVariant(u"first"));
  second->Cells()->Item(1, 1)->SetValue(TVariant(u"a b"));
  second->Cells()->Item(2, 2)->SetValue(TVariant(2.5));
  second->Activate();
  // The active sheet's used range, A1:B2.
  EXPECT_EQ(book->SaveAs(Path("book.csv"), kSaveCSV), kResultOk);
  EXPECT_EQ(Read("book.csv"), "\"a b\",\r\n,2.5\r\n");
  EXPECT_EQ(book->SaveAs(Path("book.tsv"), kSaveTSVUnicode), kResultOk);
  EXPECT_EQ(Read("book.tsv").size(), 2u + 2u * std::string("\"a b\"\t\r\n\t2.5\r\n").size());
  EXPECT_EQ(book->Save(), kResultNothingToSave);  // text saves are not remembered

  XLSPtr<IXLSRange> range = first->Range(u"B2", u"B2");
  EXPECT_EQ(range->SaveAs(Path("range.tsv"), kSaveTSV), kResultOk);
  EXPECT_EQ(Read("range.tsv"), "first\r\n");
  TMemoryStream stream;
  EXPECT_EQ(range->SaveAs(stream, kSaveCSVUnicode), kResultOk);
  EXPECT_EQ(Bytes(stream), std::string("\xFF\xFE"
                                       "f\0i\0r\0s\0t\0\r\0\n\0",
                                       16));
  EXPECT_EQ(range->SaveAs(Path("range.x"), kSaveBiff8), kResultFail);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "range.x"));
}

// A save that fails part-way leaves the file it was to replace as it was:
// here the file-size limit stops the writes.
TEST_F(CSVFiles, AFailedSaveKeepsTheOldFile) {
  {
    std::ofstream old(dir_ / "old.csv", std::ios::binary);
    old << "old bytes\r\n";
  }
  TVariant many = TVariant::CreateArray(0, 2000);
  for (int32_t i = 0; i < 2000; ++i) many.SetArrayItem(i, TVariant(u"field"));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int32_t result = TXLSCSVSaver(false).SaveToFile(Path("old.csv"), many);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result, kResultFail);
  EXPECT_EQ(Read("old.csv"), "old bytes\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace lx

// The Quillon command line and its headless export, which need no window.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "QuillonData.h"

namespace lx {
namespace {

namespace fs = std::filesystem;

TQuillonOptions Parse(std::vector<std::string> arguments) { return ParseQuillonArguments(arguments); }

TEST(QuillonArguments, ChooseTheModeTheFileAndTheDatabaseInAnyOrder) {
  EXPECT_EQ(Parse({}).mode, TQuillonOptions::qmWindow);
  EXPECT_EQ(Parse({"--help"}).mode, TQuillonOptions::qmHelp);

  TQuillonOptions options = Parse({"--db", "shop.db", "--export", "out.xls"});
  EXPECT_EQ(options.error, "");
  EXPECT_EQ(options.mode, TQuillonOptions::qmExport);
  EXPECT_EQ(options.fileName, "out.xls");
  EXPECT_EQ(options.databaseFile, "shop.db");

  options = Parse({"--screenshot", "window.png"});
  EXPECT_EQ(options.mode, TQuillonOptions::qmScreenshot);
  EXPECT_EQ(options.fileName, "window.png");
  EXPECT_EQ(options.databaseFile, "");
  // The window may take a database too.
  EXPECT_EQ(Parse({"--db", "shop.db"}).mode, TQuillonOptions::qmWindow);
}

TEST(QuillonArguments, RejectMissingFileNamesUnknownWordsAndTwoModes) {
  EXPECT_NE(Parse({"--export"}).error, "");
  EXPECT_NE(Parse({"--export", ""}).error, "");
  EXPECT_NE(Parse({"--export", "a.xls", "--db"}).error, "");
  EXPECT_NE(Parse({"out.xls"}).error, "");
  EXPECT_NE(Parse({"--export", "a.xls", "--screenshot", "b.png"}).error, "");
  EXPECT_NE(Parse({"--export", "a.xls", "--export", "b.xls"}).error, "");
}

class QuillonExport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("lx_quillon_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  int Run(const std::string& file, const std::string& database = {}) {
    TQuillonOptions options;
    options.mode = TQuillonOptions::qmExport;
    options.fileName = (dir_ / file).string();
    options.databaseFile = database;
    out_.str({});
    err_.str({});
    return RunQuillonExport(options, out_, err_);
  }

  fs::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(QuillonExport, WritesTheDemoOrdersAndSaysWhere) {
  ASSERT_EQ(Run("orders.xls"), 0) << err_.str();
  const std::string file = (dir_ / "orders.xls").string();
  EXPECT_NE(out_.str().find("wrote " + file), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("result 1"), std::string::npos) << out_.str();
  EXPECT_GT(fs::file_size(file), 4096u);
}

TEST_F(QuillonExport, ReadsTheOrdersOfADatabaseFile) {
  // A database with two orders of its own, unsorted on disk.
  const std::string database = (dir_ / "shop.db").string();
  {
    TSQLiteDatabase db;
    ASSERT_TRUE(db.Open(database));
    ASSERT_TRUE(db.ExecScript(
        "CREATE TABLE orders (OrderNo INTEGER, SaleDate DATETIME, Terms VARCHAR(11), PaymentMethod VARCHAR(7),"
        " AmountPaid CURRENCY);"
        "INSERT INTO orders VALUES (2, '2024-01-02', 'Net 30', 'Visa', 10.5), (1, '2024-01-01', 'COD', 'Cash', 3);"));
  }
  TQuillonData data;
  data.Open(database);
  ASSERT_EQ(data.ADOTable1().RecordCount(), 2);
  data.ADOTable1().First();
  EXPECT_EQ(data.ADOTable1().FieldByName("Terms")->DisplayText(), "COD") << "sorted by the group fields";

  ASSERT_EQ(Run("shop.xls", database), 0) << err_.str();
  EXPECT_NE(out_.str().find("(2 orders)"), std::string::npos) << out_.str();
}

TEST_F(QuillonExport, ReportsFailuresWithoutLeavingFilesBehind) {
  // A missing database is not created empty.
  EXPECT_EQ(Run("a.xls", (dir_ / "missing.db").string()), 1);
  EXPECT_NE(err_.str().find("missing.db"), std::string::npos) << err_.str();
  EXPECT_FALSE(fs::exists(dir_ / "missing.db"));
  EXPECT_FALSE(fs::exists(dir_ / "a.xls"));

  // A database without orders.
  const std::string empty = (dir_ / "empty.db").string();
  {
    TSQLiteDatabase db;
    ASSERT_TRUE(db.Open(empty));
    ASSERT_TRUE(db.ExecScript("CREATE TABLE customer (CustNo INTEGER);"));
  }
  EXPECT_EQ(Run("b.xls", empty), 1);
  EXPECT_NE(err_.str().find("orders"), std::string::npos) << err_.str();
  EXPECT_FALSE(fs::exists(dir_ / "b.xls"));

  // A file that cannot be created: its result code is printed.
  EXPECT_EQ(Run("no such folder/c.xls"), 1);
  EXPECT_NE(err_.str().find("result -2"), std::string::npos) << err_.str();
  EXPECT_EQ(out_.str(), "");
}

}  // namespace
}  // namespace lx

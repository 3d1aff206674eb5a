// The SQLite dataset: declared types, stored values, and the demo database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lxSQLiteDataSet.h"
#include "lxSysUtils.h"

namespace lx {
namespace {

TEST(DeclaredTypes, NamesMapToFieldTypes) {
  const struct {
    const char* declared;
    TFieldType type;
    int size;
  } cases[] = {
      {"INTEGER", ftInteger, 0},
      {"int", ftInteger, 0},
      {"SMALLINT", ftSmallint, 0},
      {"BIGINT", ftLargeint, 0},
      {"WORD", ftWord, 0},
      {"AUTOINC", ftAutoInc, 0},
      {"REAL", ftFloat, 0},
      {"FLOAT", ftFloat, 0},
      {"DOUBLE PRECISION", ftFloat, 0},
      {"CURRENCY", ftCurrency, 0},
      {"Money", ftCurrency, 0},
      {"DECIMAL(10,2)", ftCurrency, 0},
      {"NUMERIC(12, 4)", ftBCD, 0},
      {"DECIMAL(18,6)", ftFMTBcd, 0},
      {"DATE", ftDate, 0},
      {"TIME", ftTime, 0},
      {"DATETIME", ftDateTime, 0},
      {"TIMESTAMP", ftDateTime, 0},
      {"BOOLEAN", ftBoolean, 0},
      {"VARCHAR(30)", ftString, 30},
      {"varchar (7)", ftString, 7},
      {"TEXT", ftString, 0},
      {"CHAR(2)", ftFixedChar, 2},
      {"NVARCHAR(40)", ftWideString, 40},
      {"MEMO", ftMemo, 0},
      {"CLOB", ftMemo, 0},
      {"BLOB", ftBlob, 0},
      {"GRAPHIC", ftGraphic, 0},
      {"UNSIGNED INTEGER", ftInteger, 0},
      {"VARYING TEXT(12)", ftString, 12},
      {"REAL NUMBER", ftFloat, 0},
      {"", ftUnknown, 0},
      // SQLite's own rule: a name containing INT has integer affinity.
      {"FLOATING POINT", ftInteger, 0},
  };
  for (const auto& c : cases) {
    int size = -1;
    EXPECT_EQ(FieldTypeFromDeclaredType(c.declared, size), c.type) << c.declared;
    EXPECT_EQ(size, c.size) << c.declared;
  }
}

TEST(DeclaredTypes, IsoDatesAndTimes) {
  double d = 0;
  ASSERT_TRUE(ParseIsoDateTime("1994-06-15", d));
  EXPECT_EQ(d, EncodeDate(1994, 6, 15));
  ASSERT_TRUE(ParseIsoDateTime("2023-04-02 14:05", d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2023, 4, 2, 14, 5, 0, 0));
  ASSERT_TRUE(ParseIsoDateTime("2023-04-02T14:05:30.25", d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2023, 4, 2, 14, 5, 30, 250));
  ASSERT_TRUE(ParseIsoDateTime("08:30:00", d));
  EXPECT_DOUBLE_EQ(d, EncodeTime(8, 30, 0, 0));
  for (const char* bad : {"", "1994-6-15", "1994-02-30", "1994-06-15 25:00", "1994-06-15x", "noon"})
    EXPECT_FALSE(ParseIsoDateTime(bad, d)) << bad;
}

struct TSQLiteFixture : ::testing::Test {
  TSQLiteDatabase db;
  TSQLiteDataSet ds;
  void SetUp() override {
    ASSERT_TRUE(db.OpenMemory()) << db.LastError();
    ds.SetDatabase(&db);
  }
  void Exec(const char* sql) { ASSERT_TRUE(db.ExecScript(sql)) << db.LastError(); }
};

TEST_F(TSQLiteFixture, FieldsTakeTheirTypesFromTheTable) {
  Exec(
      "CREATE TABLE t (Id INTEGER, Name VARCHAR(12), Note TEXT, Paid CURRENCY, Rate REAL, Sold DATE,"
      " Shipped DATETIME, At TIME, Rush BOOLEAN, Memo MEMO, Qty SMALLINT);"
      "INSERT INTO t VALUES (1, 'Net 30', 'short', 12.5, 0.25, '1994-06-15', '1994-06-15 14:05:00',"
      " '08:30:00', 1, 'long text', 3);"
      "INSERT INTO t VALUES (2, NULL, 'a longer note', NULL, NULL, NULL, NULL, NULL, 0, NULL, NULL);");
  ds.SetTableName("t");
  ds.Open();
  ASSERT_EQ(ds.FieldCount(), 11);
  const TFieldType expected[] = {ftInteger,  ftString, ftString,  ftCurrency, ftFloat,   ftDate,
                                 ftDateTime, ftTime,   ftBoolean, ftMemo,     ftSmallint};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(ds.Fields(i)->DataType(), expected[i]) << ds.Fields(i)->FieldName();
  EXPECT_EQ(ds.FieldByName("Name")->Size(), 12);
  EXPECT_EQ(ds.FieldByName("Note")->Size(), 13) << "no declared length: the longest value";
  ASSERT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(ds.FieldByName("Id")->Value().VarType(), varInteger);
  EXPECT_EQ(ds.FieldByName("Paid")->AsFloat(), 12.5);
  EXPECT_EQ(ds.FieldByName("Sold")->AsDateTime(), EncodeDate(1994, 6, 15));
  EXPECT_DOUBLE_EQ(ds.FieldByName("Shipped")->AsDateTime(), EncodeDateTime(1994, 6, 15, 14, 5, 0, 0));
  EXPECT_DOUBLE_EQ(ds.FieldByName("At")->AsDateTime(), EncodeTime(8, 30, 0, 0));
  EXPECT_EQ(ds.FieldByName("Rush")->Value().VarType(), varBoolean);
  EXPECT_EQ(ds.FieldByName("Rush")->EditText(), "True");
  EXPECT_EQ(ds.FieldByName("Qty")->Value().VarType(), varSmallint);
  ds.Next();
  EXPECT_TRUE(ds.FieldByName("Name")->IsNull());
  EXPECT_TRUE(ds.FieldByName("Paid")->IsNull());
  EXPECT_TRUE(ds.FieldByName("Sold")->IsNull());
  EXPECT_EQ(ds.FieldByName("Rush")->EditText(), "False");
}

TEST_F(TSQLiteFixture, DateColumnsReadSQLiteNumbersAndIgnoreJunk) {
  Exec(
      "CREATE TABLE d (At DATETIME);"
      "INSERT INTO d VALUES (2449518.5);"  // Julian day of 1994-06-15 00:00
      "INSERT INTO d VALUES (86400);"      // one day after 1 January 1970
      "INSERT INTO d VALUES ('soon');");
  ds.SetSQL("SELECT At FROM d ORDER BY rowid");
  ds.Open();
  EXPECT_EQ(ds.Fields(0)->AsDateTime(), EncodeDate(1994, 6, 15));
  ds.Next();
  EXPECT_EQ(ds.Fields(0)->AsDateTime(), EncodeDate(1970, 1, 2));
  ds.Next();
  EXPECT_TRUE(ds.Fields(0)->IsNull());
}

TEST_F(TSQLiteFixture, ExpressionColumnsTakeTheTypeOfTheirValues) {
  ds.SetSQL("SELECT 1 + 1 AS Two, 'x' || 'y' AS XY, 0.5 AS Half, NULL AS Missing");
  ds.Open();
  EXPECT_EQ(ds.FieldByName("Two")->DataType(), ftLargeint);
  EXPECT_EQ(ds.FieldByName("Two")->AsInteger(), 2);
  EXPECT_EQ(ds.FieldByName("XY")->DataType(), ftString);
  EXPECT_EQ(ds.FieldByName("XY")->Size(), 2);
  EXPECT_EQ(ds.FieldByName("Half")->DataType(), ftFloat);
  EXPECT_EQ(ds.FieldByName("Missing")->DataType(), ftString);
  EXPECT_TRUE(ds.FieldByName("Missing")->IsNull());
}

TEST_F(TSQLiteFixture, FailuresRaiseOrReport) {
  ds.SetSQL("SELECT * FROM missing");
  EXPECT_THROW(ds.Open(), EDatabaseError);
  EXPECT_FALSE(ds.Active());
  Exec("CREATE TABLE n (Qty INTEGER); INSERT INTO n VALUES ('many');");
  ds.SetTableName("n");
  EXPECT_THROW(ds.Open(), EDatabaseError) << "a text in an integer column";
  EXPECT_FALSE(db.ExecScript("CREATE TABLE broken ("));
  EXPECT_FALSE(db.LastError().empty());
  EXPECT_FALSE(db.LoadScriptFile("/nonexistent/demo.sql"));
  TSQLiteDataSet orphan;
  EXPECT_THROW(orphan.Open(), EDatabaseError);
}

TEST_F(TSQLiteFixture, FailedScriptLeavesNoOpenTransaction) {
  EXPECT_FALSE(db.ExecScript("BEGIN; CREATE TABLE a (x INTEGER); INSERT INTO nowhere VALUES (1); COMMIT;"));
  // The half-run script was rolled back, and new work is not caught in it.
  Exec("CREATE TABLE a (x INTEGER); INSERT INTO a VALUES (5);");
  ds.SetTableName("a");
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(TSQLiteFixture, DatasetForgetsADestroyedDatabase) {
  auto other = std::make_unique<TSQLiteDatabase>();
  ds.SetDatabase(other.get());
  other.reset();
  EXPECT_EQ(ds.Database(), nullptr);
}

TEST(DemoDatabase, OrdersAndCustomersAreLoadedFromTheEmbeddedScript) {
  TSQLiteDatabase db;
  ASSERT_TRUE(OpenDemoDatabase(db)) << db.LastError();
  TSQLiteDataSet orders;
  orders.SetDatabase(&db);
  orders.SetTableName(kDemoOrdersTable);
  orders.Open();
  EXPECT_GE(orders.RecordCount(), 2000);
  for (const char* name : {"Terms", "PaymentMethod", "OrderNo", "SaleDate", "AmountPaid"})
    EXPECT_NE(orders.FindField(name), nullptr) << name;
  EXPECT_EQ(orders.FieldByName("SaleDate")->DataType(), ftDateTime);
  EXPECT_EQ(orders.FieldByName("AmountPaid")->DataType(), ftCurrency);
  EXPECT_EQ(orders.FieldByName("OrderNo")->DataType(), ftInteger);

  TSQLiteDataSet customers;
  customers.SetDatabase(&db);
  customers.SetTableName(kDemoCustomerTable);
  customers.Open();
  EXPECT_GE(customers.RecordCount(), 100);
  const char* const names[] = {"CustNo", "Company", "Addr1", "City",    "State",
                               "Zip",    "Country", "Phone", "Contact", "LastInvoiceDate"};
  ASSERT_EQ(customers.FieldCount(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(customers.Fields(i)->FieldName(), names[i]);
  EXPECT_EQ(customers.FieldByName("CustNo")->DataType(), ftFloat);
  EXPECT_EQ(customers.FieldByName("Company")->DataType(), ftWideString);
  EXPECT_EQ(customers.FieldByName("LastInvoiceDate")->DataType(), ftDateTime);
}

TEST(DemoDatabase, DataHasTheVarietyTheProgramsShow) {
  TSQLiteDatabase db;
  ASSERT_TRUE(OpenDemoDatabase(db)) << db.LastError();
  TSQLiteDataSet q;
  q.SetDatabase(&db);
  q.SetSQL(
      "SELECT (SELECT COUNT(DISTINCT Terms) FROM orders), (SELECT COUNT(DISTINCT PaymentMethod) FROM orders),"
      " (SELECT MIN(SaleDate) FROM orders), (SELECT COUNT(*) FROM orders WHERE SaleDate >= '2000'),"
      " (SELECT COUNT(*) FROM orders WHERE PaymentMethod IS NULL),"
      " (SELECT COUNT(*) FROM orders WHERE AmountPaid <> ROUND(AmountPaid)),"
      " (SELECT COUNT(*) FROM customer WHERE Company GLOB '*[А-я]*'),"
      " (SELECT COUNT(*) FROM customer WHERE LastInvoiceDate IS NULL)");
  q.Open();
  EXPECT_GE(q.Fields(0)->AsInteger(), 4) << "payment terms";
  EXPECT_GE(q.Fields(1)->AsInteger(), 4) << "payment methods";
  EXPECT_EQ(q.Fields(2)->AsString().substr(0, 3), "198");
  EXPECT_GT(q.Fields(3)->AsInteger(), 0) << "recent orders";
  EXPECT_GT(q.Fields(4)->AsInteger(), 0) << "orders without a payment method";
  EXPECT_GT(q.Fields(5)->AsInteger(), 1000) << "amounts with cents";
  EXPECT_GT(q.Fields(6)->AsInteger(), 10) << "Cyrillic company names";
  EXPECT_GT(q.Fields(7)->AsInteger(), 0) << "customers without invoices";
}

TEST(DemoDatabase, OrdersViewIsSortedForGrouping) {
  TSQLiteDatabase db;
  ASSERT_TRUE(OpenDemoDatabase(db)) << db.LastError();
  TSQLiteDataSet orders;
  orders.SetDatabase(&db);
  orders.SetTableName(kDemoOrdersView);
  orders.Open();
  TField* terms = orders.FieldByName("Terms");
  TField* method = orders.FieldByName("PaymentMethod");
  TField* number = orders.FieldByName("OrderNo");
  int rows = 0, termChanges = 0;
  std::u16string lastTerms, lastMethod;
  int lastNumber = 0;
  for (orders.First(); !orders.Eof(); orders.Next(), ++rows) {
    const std::u16string t = terms->AsWideString();
    const std::u16string m = method->AsWideString();  // null sorts first, as the empty text
    const int n = number->AsInteger();
    if (rows > 0) {
      ASSERT_LE(lastTerms, t) << "row " << rows;
      if (t == lastTerms) {
        ASSERT_LE(lastMethod, m) << "row " << rows;
        if (m == lastMethod) {
          ASSERT_LT(lastNumber, n) << "row " << rows;
        }
      } else {
        ++termChanges;
      }
    }
    lastTerms = t;
    lastMethod = m;
    lastNumber = n;
  }
  EXPECT_EQ(rows, orders.RecordCount());
  EXPECT_GE(termChanges, 3);
}

TEST(DemoDatabase, ScriptOnDiskMatchesTheEmbeddedOne) {
  // CTest names the source tree; run by hand, the tree is found from this file.
  const char* root = std::getenv("LX_SOURCE_DIR");
  std::string tree = root ? root : __FILE__;
  if (!root) tree = tree.substr(0, tree.rfind("/tests/"));
  const std::string path = tree + "/data/demo.sql";
  TSQLiteDatabase db;
  ASSERT_TRUE(db.OpenMemory());
  ASSERT_TRUE(db.LoadScriptFile(path)) << path << ": " << db.LastError();
  TSQLiteDataSet count;
  count.SetDatabase(&db);
  count.SetSQL("SELECT COUNT(*) FROM orders");
  count.Open();
  TSQLiteDatabase embedded;
  ASSERT_TRUE(OpenDemoDatabase(embedded));
  TSQLiteDataSet embeddedCount;
  embeddedCount.SetDatabase(&embedded);
  embeddedCount.SetSQL("SELECT COUNT(*) FROM orders");
  embeddedCount.Open();
  EXPECT_EQ(count.Fields(0)->AsInteger(), embeddedCount.Fields(0)->AsInteger());
}

TEST(DemoDatabase, CyrillicNamesSurviveInTheirCodePage) {
  TSQLiteDatabase db;
  ASSERT_TRUE(OpenDemoDatabase(db)) << db.LastError();
  TSQLiteDataSet customers;
  customers.SetDatabase(&db);
  customers.SetSQL("SELECT Company FROM customer WHERE Country = 'Россия' ORDER BY CustNo LIMIT 1");
  customers.SetCodePage(1251);
  customers.Open();
  ASSERT_FALSE(customers.Eof());
  TField* company = customers.Fields(0);
  const std::string ansi = company->DisplayText();
  EXPECT_EQ(ansi.find('?'), std::string::npos) << "every letter has a place in code page 1251";
  EXPECT_EQ(AnsiToWide(ansi, 1251), company->AsWideString());
}

}  // namespace
}  // namespace lx

// Records of datasets: many records in large blocks, and the SQLite
// dataset's reading of texts and dates.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "lxDB.h"
#include "lxSQLiteDataSet.h"
#include "lxSysUtils.h"
#include "lxText.h"

namespace lx {
namespace {

TEST(RecordStore, RecordsKeepTheirValuesAcrossBlocks) {
  TMemDataSet data;
  data.AddField("No", ftInteger);
  data.AddField("Text", ftString, 12);
  constexpr int kRecords = 30000;  // several blocks, the last ones large pages
  for (int i = 0; i < kRecords; ++i) data.AppendRecord({i, "record " + std::to_string(i)});
  data.Open();
  ASSERT_EQ(data.RecordCount(), kRecords);
  for (int i : {0, 1, 255, 256, 4095, 20000, kRecords - 1}) {
    EXPECT_EQ(data.RecordValue(i, 0).ToInt32(), i);
    EXPECT_EQ(data.RecordValue(i, 1).ToWide(), Utf8ToUtf16("record " + std::to_string(i)));
  }
  EXPECT_TRUE(data.RecordValue(kRecords, 0).IsNull());
  EXPECT_TRUE(data.RecordValue(0, 2).IsNull());

  // A value that fails while a record is made leaves no record behind.
  TRecordStore store;
  store.Append(2);
  EXPECT_THROW(store.Append(3,
                            [](size_t i) -> TVariant {
                              if (i == 2) throw std::runtime_error("no");
                              return TVariant(u"made");
                            }),
               std::runtime_error);
  EXPECT_EQ(store.Count(), 1u);
  EXPECT_TRUE(store.Values(0)[1].IsNull());
}

TEST(RecordStore, SQLiteTextsAndDateTextsReadAsStored) {
  TSQLiteDatabase db;
  ASSERT_TRUE(db.OpenMemory()) << db.LastError();
  // Dates: ISO texts, a text with a byte that is not ASCII (no date), an
  // overlong encoding of '1' (no date either). Texts: UTF-8, a number stored
  // in a text column, ASCII.
  ASSERT_TRUE(db.ExecScript(
      "CREATE TABLE t (At DATETIME, Day DATE, Name NVARCHAR(20), Code VARCHAR(4));"
      "INSERT INTO t VALUES ('2021-03-04T05:06', ' 1994-06-15 ', 'Морская Звезда', 12);"
      "INSERT INTO t VALUES (CAST(x'323032312d30332d3034ff' AS TEXT), CAST(x'c0b1393934' AS TEXT), 'plain', 'ab');"))
      << db.LastError();
  TSQLiteDataSet ds;
  ds.SetDatabase(&db);
  ds.SetSQL("SELECT * FROM t ORDER BY rowid");
  ds.Open();
  EXPECT_DOUBLE_EQ(ds.Fields(0)->AsDateTime(), EncodeDate(2021, 3, 4) + EncodeTime(5, 6, 0, 0));
  EXPECT_EQ(ds.Fields(1)->AsDateTime(), EncodeDate(1994, 6, 15));
  EXPECT_EQ(ds.Fields(2)->AsWideString(), u"Морская Звезда");
  EXPECT_EQ(ds.Fields(3)->Value().VarType(), varOleStr);
  EXPECT_EQ(ds.Fields(3)->AsWideString(), u"12");
  ds.Next();
  EXPECT_TRUE(ds.Fields(0)->IsNull());
  EXPECT_TRUE(ds.Fields(1)->IsNull());
  EXPECT_EQ(ds.Fields(2)->AsWideString(), u"plain");
}

}  // namespace
}  // namespace lx

// Datasets, fields, data sources and grid columns over the in-memory dataset.
#include <gtest/gtest.h>

#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxSysUtils.h"
#include "support/LocaleGuard.h"

namespace lx {
namespace {

using test::TLocaleGuard;

// Three orders: (Terms, PaymentMethod, OrderNo).
void FillOrders(TMemDataSet& ds) {
  ds.AddField("Terms", ftString, 10);
  ds.AddField("PaymentMethod", ftString, 7);
  ds.AddField("OrderNo", ftInteger);
  ds.AppendRecord({"Net 30", "Cash", 1001});
  ds.AppendRecord({"Net 30", "Check", 1002});
  ds.AppendRecord({"COD", TVariant::Null(), 1003});
  ds.Open();
}

TEST(DataSets, WalkFromFirstToEnd) {
  TMemDataSet ds;
  FillOrders(ds);
  std::vector<int> seen;
  for (ds.First(); !ds.Eof(); ds.Next()) seen.push_back(ds.Fields(2)->AsInteger());
  EXPECT_EQ(seen, (std::vector<int>{1001, 1002, 1003}));
  // Past the end the cursor stays on the last record.
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_EQ(ds.FieldByName("OrderNo")->AsInteger(), 1003);
  ds.Prior();
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 2);
  ds.First();
  EXPECT_TRUE(ds.Bof());
  ds.Prior();
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.RecNo(), 1);
  ds.Last();
  EXPECT_EQ(ds.RecNo(), 3);
}

TEST(DataSets, EmptyAndClosedDatasetsAreAtTheirEnd) {
  TMemDataSet ds;
  ds.AddField("Name", ftString, 5);
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecordCount(), 0);
  ds.Open();
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.Bof());
  EXPECT_TRUE(ds.Fields(0)->IsNull());
  EXPECT_EQ(ds.Fields(0)->DisplayText(), "");
  EXPECT_FALSE(ds.GetBookmark().Valid());
  ds.AppendRecord({"x"});
  EXPECT_FALSE(ds.Eof()) << "the first appended record becomes current";
  EXPECT_EQ(ds.Fields(0)->AsString(), "x");
  ds.Close();
  EXPECT_TRUE(ds.Fields(0)->IsNull());
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 1) << "the in-memory dataset keeps its records";
}

TEST(DataSets, BookmarkRestoresTheCursor) {
  TMemDataSet ds;
  FillOrders(ds);
  ds.Next();
  TBookmark mark = ds.GetBookmark();
  ASSERT_TRUE(ds.BookmarkValid(mark));
  while (!ds.Eof()) ds.Next();
  ds.GotoBookmark(mark);
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.FieldByName("OrderNo")->AsInteger(), 1002);
  ds.FreeBookmark(mark);
  EXPECT_FALSE(mark.Valid());
  ds.Last();
  ds.GotoBookmark(mark);  // a freed bookmark is ignored
  EXPECT_EQ(ds.RecNo(), 3);
  ds.GotoBookmark(TBookmark{7});  // so is one past the records
  EXPECT_EQ(ds.RecNo(), 3);
}

TEST(DataSets, FieldsByIndexAndByNameIgnoringCase) {
  TMemDataSet ds;
  FillOrders(ds);
  EXPECT_EQ(ds.FieldCount(), 3);
  EXPECT_EQ(ds.FindField("paymentmethod"), ds.Fields(1));
  EXPECT_EQ(ds.FieldByName("TERMS"), ds.Fields(0));
  EXPECT_EQ(ds.Fields(1)->Index(), 1);
  EXPECT_EQ(ds.FindField("Payment"), nullptr);
  EXPECT_THROW(ds.FieldByName("Customer"), EDatabaseError);
  EXPECT_THROW(ds.Fields(3), EListError);
  EXPECT_THROW(ds.Fields(-1), EListError);
}

TEST(DataSets, DisabledControlsHoldBackChangeNotices) {
  TMemDataSet ds;
  FillOrders(ds);
  TDataSource source;
  int changes = 0;
  source.OnDataChange = [&] { ++changes; };
  source.SetDataSet(&ds);
  changes = 0;
  ds.Next();
  EXPECT_EQ(changes, 1);
  ds.DisableControls();
  ds.DisableControls();
  ds.First();
  ds.Next();
  ds.Next();
  ds.EnableControls();
  EXPECT_EQ(changes, 1) << "still disabled once";
  ds.EnableControls();
  EXPECT_EQ(changes, 2) << "one notice for all the moves";
  ds.EnableControls();  // unbalanced: no effect
  ds.Next();
  EXPECT_EQ(changes, 3);
}

TEST(DataSets, DataSourceAndDatasetOutliveEachOther) {
  TDataSource source;
  {
    TMemDataSet ds;
    source.SetDataSet(&ds);
    EXPECT_EQ(source.DataSet(), &ds);
  }
  EXPECT_EQ(source.DataSet(), nullptr);
  TMemDataSet ds;
  {
    TDataSource shortLived;
    shortLived.SetDataSet(&ds);
  }
  ds.AddField("A", ftInteger);
  ds.Open();
  ds.AppendRecord({1});  // must not reach the destroyed source
  SUCCEED();
}

TEST(Fields, NullsAndStringTexts) {
  TMemDataSet ds;
  FillOrders(ds);
  ds.Last();
  TField* method = ds.FieldByName("PaymentMethod");
  EXPECT_TRUE(method->IsNull());
  EXPECT_EQ(method->DisplayText(), "");
  EXPECT_EQ(method->AsString(), "");
  EXPECT_EQ(method->AsInteger(), 0);
  EXPECT_EQ(method->Value().VarType(), varNull);
  ds.First();
  EXPECT_FALSE(method->IsNull());
  EXPECT_EQ(method->Value().VarType(), varOleStr);
  EXPECT_EQ(method->Value().WideValue(), u"Cash");
  EXPECT_EQ(method->DisplayText(), "Cash");
  EXPECT_EQ(method->Size(), 7);
  EXPECT_EQ(method->DisplayWidth(), 7);
  EXPECT_EQ(method->Alignment(), taLeftJustify);
  EXPECT_EQ(ds.FieldByName("OrderNo")->Alignment(), taRightJustify);
  EXPECT_EQ(method->DisplayLabel(), "PaymentMethod");
  method->SetDisplayLabel("Payment method");
  EXPECT_EQ(method->DisplayLabel(), "Payment method");
}

TEST(Fields, BooleanTextsComeFromDisplayValues) {
  TMemDataSet ds;
  TField* flag = ds.AddField("Paid", ftBoolean);
  ds.AppendRecord({true});
  ds.AppendRecord({0});
  ds.AppendRecord({TVariant::Null()});
  ds.Open();
  EXPECT_EQ(flag->Value().VarType(), varBoolean);
  EXPECT_EQ(flag->DisplayText(), "True");
  EXPECT_EQ(flag->EditText(), "True");
  ds.Next();
  EXPECT_EQ(flag->EditText(), "False");
  flag->SetDisplayValues("Yes;No");
  EXPECT_EQ(flag->DisplayText(), "No");
  EXPECT_EQ(flag->EditText(), "No");
  ds.Next();
  EXPECT_EQ(flag->EditText(), "");
  EXPECT_FALSE(flag->AsBoolean());
}

TEST(Fields, NumberTextsAndFormats) {
  const TLocaleGuard locale{TFormatSettings{}};
  TMemDataSet ds;
  TField* qty = ds.AddField("Qty", ftSmallint);
  TField* price = ds.AddField("Price", ftFloat);
  TField* paid = ds.AddField("Paid", ftCurrency);
  TField* exact = ds.AddField("Exact", ftBCD);
  ds.AppendRecord({12, 1234.5, -2719.5, 3.14159});
  ds.Open();
  EXPECT_EQ(qty->Value().VarType(), varSmallint);
  EXPECT_EQ(qty->DisplayText(), "12");
  qty->SetDisplayFormat("000");
  EXPECT_EQ(qty->DisplayText(), "012");
  EXPECT_EQ(qty->EditText(), "12") << "the edit text ignores the display format";
  EXPECT_EQ(price->DisplayText(), "1234.5");
  price->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(price->DisplayText(), "1,234.50");
  EXPECT_EQ(price->EditText(), "1234.5");
  // A currency field holds a double and shows the locale's money text.
  EXPECT_EQ(paid->Value().VarType(), varDouble);
  EXPECT_EQ(paid->DisplayText(), "-$2,719.50");
  EXPECT_EQ(paid->EditText(), "-2719.50");
  // A BCD field keeps four decimals as a currency value.
  EXPECT_EQ(exact->Value().VarType(), varCurrency);
  EXPECT_EQ(exact->Value().CurrencyValue(), 31416);
  EXPECT_DOUBLE_EQ(exact->AsFloat(), 3.1416);
}

TEST(Fields, DateTextsFollowTheLocaleFormats) {
  TMemDataSet ds;
  TField* date = ds.AddField("SaleDate", ftDate);
  TField* time = ds.AddField("ShipTime", ftTime);
  TField* stamp = ds.AddField("Stamp", ftDateTime);
  ds.AppendRecord({TVariant::FromDate(EncodeDateTime(1994, 6, 15, 10, 0, 0, 0)),
                   TVariant::FromDate(EncodeDateTime(1994, 6, 15, 14, 5, 0, 0)),
                   TVariant::FromDate(EncodeDate(1994, 6, 15))});
  ds.AppendRecord({TVariant::Null(), TVariant::Null(), TVariant::FromDate(EncodeDateTime(2023, 4, 2, 9, 7, 30, 0))});
  ds.Open();
  {
    const TLocaleGuard locale{TFormatSettings{}};
    // A date field keeps the day only, a time field the time of day only.
    EXPECT_EQ(date->AsDateTime(), EncodeDate(1994, 6, 15));
    EXPECT_DOUBLE_EQ(time->AsDateTime(), EncodeTime(14, 5, 0, 0));
    EXPECT_EQ(date->Value().VarType(), varDate);
    EXPECT_EQ(date->DisplayText(), "6/15/1994");
    EXPECT_EQ(time->DisplayText(), "2:05:00 PM");
    EXPECT_EQ(stamp->DisplayText(), "6/15/1994") << "midnight shows no time";
    date->SetDisplayFormat("dd mmm yyyy");
    EXPECT_EQ(date->DisplayText(), "15 Jun 1994");
    EXPECT_EQ(date->EditText(), "6/15/1994");
    ds.Next();
    EXPECT_EQ(stamp->DisplayText(), "4/2/2023 9:07:30 AM");
    EXPECT_TRUE(date->IsNull());
    EXPECT_EQ(date->DisplayText(), "");
  }
  TFormatSettings german;
  german.ShortDateFormat = "dd.MM.yyyy";
  german.LongTimeFormat = "HH:mm:ss";
  const TLocaleGuard locale{german};
  EXPECT_EQ(stamp->DisplayText(), "02.04.2023 09:07:30");
  ds.First();
  EXPECT_EQ(date->EditText(), "15.06.1994");
}

TEST(Fields, ValuesConvertToTheirFieldType) {
  TMemDataSet ds;
  ds.AddField("Small", ftSmallint);
  ds.AddField("Word", ftWord);
  ds.AddField("Big", ftLargeint);
  ds.AddField("Date", ftDate);
  ds.AddField("Text", ftString, 10);
  ds.AppendRecord({"42", 65535, int64_t{1} << 40, "6/15/1994", 7.5});
  ds.Open();
  EXPECT_EQ(ds.Fields(0)->Value().VarType(), varSmallint);
  EXPECT_EQ(ds.Fields(0)->AsInteger(), 42);
  EXPECT_EQ(ds.Fields(1)->Value().VarType(), varWord);
  EXPECT_EQ(ds.Fields(2)->AsLargeInt(), int64_t{1} << 40);
  EXPECT_EQ(ds.Fields(3)->AsDateTime(), EncodeDate(1994, 6, 15));
  EXPECT_EQ(ds.Fields(4)->AsString(), "7.5");
  EXPECT_THROW(ds.AppendRecord({40000}), EDatabaseError) << "outside a smallint";
  EXPECT_THROW(ds.AppendRecord({1, -1}), EDatabaseError) << "a word is unsigned";
  EXPECT_THROW(ds.AppendRecord({"forty"}), EDatabaseError);
  EXPECT_THROW(ds.AppendRecord({1, 2, 3, 4, 5, 6}), EDatabaseError) << "more values than fields";
  EXPECT_EQ(ds.RecordCount(), 1) << "failed appends add nothing";
  EXPECT_THROW(ds.AddField("Late", ftInteger), EDatabaseError);
}

TEST(Fields, EightBitTextsUseTheDatasetCodePage) {
  TMemDataSet ds;
  TField* company = ds.AddField("Company", ftWideString, 40);
  ds.AppendRecord({TVariant(u"ООО \"Маяк\"")});
  ds.Open();
  // In the Western system code page the Cyrillic letters have no place.
  EXPECT_EQ(company->DisplayText(), "??? \"????\"");
  ds.SetCodePage(1251);
  EXPECT_EQ(company->DisplayText(), "\xCE\xCE\xCE \"\xCC\xE0\xFF\xEA\"");
  EXPECT_EQ(AnsiToWide(company->DisplayText(), CharsetToCodePage(RUSSIAN_CHARSET)), u"ООО \"Маяк\"");
  EXPECT_EQ(company->AsWideString(), u"ООО \"Маяк\"");
}

// ---------------------------------------------------------------- grid

struct TGridFixture : ::testing::Test {
  TMemDataSet ds;
  TDataSource source;
  TDBGrid grid;
  void SetUp() override {
    FillOrders(ds);
    source.SetDataSet(&ds);
    grid.SetDataSource(&source);
  }
};

TEST_F(TGridFixture, DefaultColumnsFollowTheFields) {
  ASSERT_EQ(grid.Columns().Count(), 3);
  TColumn* terms = grid.Columns()[0];
  EXPECT_EQ(terms->FieldName(), "Terms");
  EXPECT_EQ(terms->Field(), ds.Fields(0));
  EXPECT_EQ(terms->Index(), 0);
  EXPECT_TRUE(grid.Columns().IsDefault());
  EXPECT_THROW(grid.Columns().Items(3), EListError);
}

TEST_F(TGridFixture, OwnColumnsWithDefaultsFromGridAndField) {
  TColumn* order = grid.Columns().Add("orderno");
  TColumn* loose = grid.Columns().Add();
  EXPECT_FALSE(grid.Columns().IsDefault());
  ASSERT_EQ(grid.Columns().Count(), 2);
  EXPECT_EQ(order->Field(), ds.Fields(2)) << "field names match without regard to case";
  EXPECT_EQ(order->Alignment(), taRightJustify) << "from the integer field";
  EXPECT_EQ(order->Title().Caption(), "OrderNo") << "the field's display label";
  EXPECT_EQ(order->Title().Alignment(), taLeftJustify);
  EXPECT_EQ(order->Title().Color(), clBtnFace);
  EXPECT_EQ(order->Color(), clWindow);
  EXPECT_EQ(order->Font(), grid.Font());
  EXPECT_EQ(order->DisplayName(), "orderno");
  EXPECT_TRUE(order->Visible());
  EXPECT_GT(order->Width(), 0);
  EXPECT_EQ(loose->Field(), nullptr);
  EXPECT_EQ(loose->DisplayName(), "TColumn");
  EXPECT_EQ(loose->Alignment(), taLeftJustify);
  EXPECT_EQ(loose->Title().Caption(), "");
  EXPECT_EQ(loose->Index(), 1);
  // The grid's fonts reach columns that did not set their own.
  TFont tahoma("Tahoma", 8);
  grid.SetTitleFont(tahoma);
  EXPECT_EQ(order->Title().Font().Name(), "Tahoma");
  grid.Columns().Clear();
  EXPECT_EQ(grid.Columns().Count(), 3) << "back to the default columns";
}

TEST_F(TGridFixture, SetPropertiesStayWithTheColumn) {
  TColumn* amount = grid.Columns().Add("OrderNo");
  amount->SetWidth(137);
  amount->SetAlignment(taLeftJustify);
  amount->Title().SetAlignment(taRightJustify);
  amount->Title().SetCaption("Order");
  amount->SetColor(clYellow);
  TFont bold("Arial", 10, {fsBold}, clMaroon, ANSI_CHARSET);
  amount->SetFont(bold);
  amount->Title().SetColor(clSkyBlue);
  amount->SetVisible(false);
  grid.SetFont(TFont("Courier New", 9));
  EXPECT_EQ(amount->Width(), 137);
  EXPECT_EQ(amount->Alignment(), taLeftJustify);
  EXPECT_EQ(amount->Title().Alignment(), taRightJustify);
  EXPECT_EQ(amount->Title().Caption(), "Order");
  EXPECT_EQ(amount->Color(), clYellow);
  EXPECT_EQ(amount->Font(), bold);
  EXPECT_EQ(amount->Title().Color(), clSkyBlue);
  EXPECT_FALSE(amount->Visible());
}

TEST(Grids, ForgetsADestroyedDataSource) {
  TDBGrid grid;
  grid.Columns().Add("Terms");
  {
    TDataSource source;
    grid.SetDataSource(&source);
  }
  EXPECT_EQ(grid.DataSource(), nullptr);
  EXPECT_EQ(grid.DataSet(), nullptr);
  EXPECT_EQ(grid.Columns()[0]->Field(), nullptr);
}

}  // namespace
}  // namespace lx

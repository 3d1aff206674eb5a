// The group storage on its own: change detection, column keys, name lookup
// and the preparation of items from group field names.
#include <gtest/gtest.h>

#include "lxGroup.h"

namespace lx {
namespace {

TEST(GroupStorage, FirstValueAlwaysChangesEvenWhenNull) {
  TXLSGroupStorage storage;
  storage.Add("Terms", 0, 0);
  TXLSGroupItem& item = storage.Item(0);
  EXPECT_TRUE(TXLSGroupStorage::IsChanged(item, TVariant::Null()));
  TXLSGroupStorage::SetTitle(item, 5, TVariant::Null());
  // Null equals null; a title written for a null value is not repeated.
  EXPECT_FALSE(TXLSGroupStorage::IsChanged(item, TVariant::Null()));
  EXPECT_TRUE(TXLSGroupStorage::IsChanged(item, TVariant(u"COD")));
  TXLSGroupStorage::SetTitle(item, 6, TVariant(u"COD"));
  EXPECT_FALSE(TXLSGroupStorage::IsChanged(item, TVariant(u"COD")));
  EXPECT_EQ(item.LastTitleRow(), 6);
  TXLSGroupStorage::Reset(item);
  EXPECT_EQ(item.LastTitleRow(), -1);
  EXPECT_FALSE(item.HasValue());
  EXPECT_TRUE(TXLSGroupStorage::IsChanged(item, TVariant(u"COD")));
}

TEST(GroupStorage, ColumnKeysAreExactAndNamesIgnoreCase) {
  TXLSGroupStorage storage;
  storage.Add("PaymentMethod", 12, 3);
  EXPECT_TRUE(storage.IsGroupColumn(12));
  EXPECT_FALSE(storage.IsGroupColumn(1));
  EXPECT_FALSE(storage.IsGroupColumn(2));
  EXPECT_TRUE(storage.IsGroupField("paymentmethod"));
  EXPECT_FALSE(storage.IsGroupField("Payment"));
  EXPECT_THROW(storage.Item(1), EListError);
}

TEST(GroupStorage, PrepareSkipsUnknownNamesAndPlacesHiddenColumns) {
  // Columns: 0 visible, 1 hidden, 2 visible, 3 hidden (last).
  const std::vector<bool> visible{true, false, true, false};
  const std::vector<std::string> names{"A", "B", "C", "D"};
  auto find = [&](const std::string& name) -> int32_t {
    for (size_t j = 0; j < names.size(); ++j)
      if (names[j] == name) return static_cast<int32_t>(j);
    return -1;
  };
  TXLSGroupStorage storage;
  storage.Prepare(TStringList{"C", "Nope", "B", "D"}, visible, find);
  EXPECT_TRUE(storage.Active());
  EXPECT_EQ(storage.VisibleColumnCount(), 2);
  ASSERT_EQ(storage.Count(), 3);
  EXPECT_EQ(storage.Item(0).Name(), "C");
  EXPECT_EQ(storage.Item(0).VisiblePosition(), 1);
  // A hidden column takes the place of the next visible one.
  EXPECT_EQ(storage.Item(1).ColumnIndex(), 1);
  EXPECT_EQ(storage.Item(1).VisiblePosition(), 1);
  EXPECT_EQ(storage.Item(2).VisiblePosition(), 2);

  TXLSGroupStorage none;
  none.Prepare(TStringList{"X"}, visible, find);
  EXPECT_FALSE(none.Active());
  TXLSGroupStorage empty;
  empty.Prepare(TStringList{}, visible, find);
  EXPECT_FALSE(empty.Active());
  EXPECT_EQ(empty.VisibleColumnCount(), 0);
}

TEST(GroupStorage, TitlesRepeatInnerGroupsAndCapOutlineLevels) {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  TXLSGroupStorage storage;
  const int32_t groups = 9;
  std::vector<bool> visible(groups + 1, true);
  TStringList names;
  for (int32_t i = 0; i < groups; ++i) names.Add("G" + std::to_string(i));
  storage.Prepare(names, visible, [](const std::string& name) { return std::stoi(name.substr(1)); });
  ASSERT_EQ(storage.Count(), groups);

  std::vector<TVariant> record(groups, TVariant(1));
  TXLSGroupTitleStyle style;
  style.sheet = sheet;
  style.valueOf = [&](int32_t column) { return record[static_cast<size_t>(column)]; };
  std::vector<int32_t> fired;
  style.afterGroupTitle = [&](int32_t index, IXLSRange* row, IXLSRange* cell) {
    fired.push_back(index);
    EXPECT_EQ(row->Column(), index + 1);
    EXPECT_EQ(cell->Column(), index + 1);
  };
  int32_t row = 1;
  style.recordsOnSheet = 1;
  EXPECT_EQ(storage.PendingTitles(style.valueOf), groups);
  storage.WriteTitles(style, row);
  EXPECT_EQ(row, groups + 1);
  EXPECT_EQ(fired.size(), static_cast<size_t>(groups));
  EXPECT_EQ(sheet->Cells()->Rows()->Item(1)->OutlineLevel(), 1);
  EXPECT_EQ(sheet->Cells()->Rows()->Item(2)->OutlineLevel(), 2);
  EXPECT_EQ(sheet->Cells()->Rows()->Item(8)->OutlineLevel(), 8);
  EXPECT_EQ(sheet->Cells()->Rows()->Item(9)->OutlineLevel(), 8);

  // Only the innermost value changes: one title row.
  ++row;
  record[groups - 1] = TVariant(2);
  fired.clear();
  EXPECT_EQ(storage.PendingTitles(style.valueOf), 1);
  storage.WriteTitles(style, row);
  EXPECT_EQ(fired, std::vector<int32_t>{groups - 1});
  // A change in the third group repeats the six inside it.
  record[2] = TVariant(u"x");
  fired.clear();
  storage.WriteTitles(style, row);
  EXPECT_EQ(fired, (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8}));
  // An error reading a value counts as null.
  style.valueOf = [](int32_t) -> TVariant { throw EListError("gone"); };
  fired.clear();
  storage.WriteTitles(style, row);
  EXPECT_EQ(fired.size(), static_cast<size_t>(groups));
  EXPECT_TRUE(storage.Item(0).LastValue().IsNull());
}

TEST(ExportFormatting, BorderStyleTable) {
  EXPECT_EQ(BorderLineOf(BorderStyleSingleHair).lineStyle, 1);
  EXPECT_EQ(BorderLineOf(BorderStyleSingleHair).weight, 1);
  EXPECT_EQ(BorderLineOf(BorderStyleSingleThick).weight, 4);
  EXPECT_EQ(BorderLineOf(BorderStyleSingleThin).weight, 2);
  EXPECT_EQ(BorderLineOf(BorderStyleDouble).lineStyle, -4119);
  EXPECT_EQ(BorderLineOf(BorderStyleDouble).weight, 4);
  EXPECT_EQ(BorderLineOf(static_cast<TBorderStyle>(17)).lineStyle, -4142);
}

TEST(ExportFormatting, TextConversionFollowsTheFontCharset) {
  // "Дом" in code page 1251.
  EXPECT_EQ(FrameworkTextToWide("\xC4\xEE\xEC", RUSSIAN_CHARSET), u"\u0414\u043E\u043C");
  EXPECT_EQ(FrameworkTextToWide("\xC4", ANSI_CHARSET), u"\u00C4");
  EXPECT_EQ(FrameworkTextToWide("", RUSSIAN_CHARSET), u"");
}

}  // namespace
}  // namespace lx

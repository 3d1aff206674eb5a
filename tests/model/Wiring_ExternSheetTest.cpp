// The workbook's own external-sheet table: wired to the workbook's sheets,
// following renames and moves, and replaced by a reset.
#include <gtest/gtest.h>

#include "lxExternSheet.h"
#include "lxHandle.h"

namespace lx {
namespace {

struct ThreeSheets {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* first = book->Worksheets()->Add();
  IXLSWorksheet* second = book->Worksheets()->Add();
  IXLSWorksheet* third = book->Worksheets()->Add();
};

TEST(WiringExternSheets, EntryFollowsRenamedAndMovedSheets) {
  ThreeSheets b;
  TlxExternSheetSheet& table = b.book->ExternSheets();
  EXPECT_EQ(table.SheetCount(), 3);
  const int32_t index = table.FindOrAddSheetIdentifiers(b.second->Identifier(), b.third->Identifier());
  ASSERT_GT(index, 0);
  EXPECT_EQ(table.SheetText(index), u"'" + b.second->Name() + u"':'" + b.third->Name() + u"'");

  b.second->SetName(u"Costs");
  ASSERT_EQ(b.second->Name(), u"Costs");
  EXPECT_EQ(table.SheetText(index), u"'Costs':'" + b.third->Name() + u"'");
  // A formula naming the renamed sheets finds the same entry.
  EXPECT_EQ(table.FindOrAddSheetNames(u"Costs", b.third->Name()), index);
  EXPECT_EQ(table.FindOrAddSheetNames(u"NoSuchSheet", u"Costs"), kResultFail);

  // A sheet inserted in front moves both sheets one place on.
  ASSERT_NE(b.book->Worksheets()->Insert(1), nullptr);
  int32_t supBook = -1, firstSheet = -1, lastSheet = -1;
  ASSERT_EQ(table.Resolve(index, supBook, firstSheet, lastSheet), kResultOk);
  EXPECT_EQ(firstSheet, 3);
  EXPECT_EQ(lastSheet, 4);
  EXPECT_EQ(table.FindOrAddSheetPositions(3, 4), index);
  EXPECT_EQ(table.Count(), 1u);
}

TEST(WiringExternSheets, ResetGivesAnEmptyTableWiredToTheNewSheets) {
  ThreeSheets b;
  ASSERT_GT(b.book->ExternSheets().FindOrAddSheetPositions(1, 2), 0);
  b.book->Reset();
  TlxExternSheetSheet& table = b.book->ExternSheets();
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_EQ(table.SheetCount(), 0);
  EXPECT_EQ(table.FindOrAddSheetPositions(1, 1), kResultFail);

  IXLSWorksheet* sheet = b.book->Worksheets()->Add();
  const int32_t index = table.FindOrAddSheetNames(sheet->Name(), sheet->Name());
  ASSERT_GT(index, 0);
  EXPECT_EQ(table.FirstSheetIdentifier(index), sheet->Identifier());
  EXPECT_EQ(table.SheetText(index), u"'" + sheet->Name() + u"'");
}

}  // namespace
}  // namespace lx

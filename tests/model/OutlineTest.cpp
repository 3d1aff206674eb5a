#include <gtest/gtest.h>

#include "lxOutline.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const TXLSBlob& blob) {
  EXPECT_EQ(blob.Length(), blob.Capacity()) << "record not built at its exact size";
  return test::ToHex(blob.Data(), blob.Length());
}
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

TEST(Outline, SummarySettingsTakeOnlyZeroAndOne) {
  TXLSOutline outline;
  EXPECT_EQ(outline.SummaryRow(), 1);
  EXPECT_EQ(outline.SummaryColumn(), 1);
  outline.SetSummaryRow(0);
  outline.SetSummaryColumn(0);
  outline.SetSummaryRow(2);
  outline.SetSummaryColumn(-1);
  EXPECT_EQ(outline.SummaryRow(), 0);
  EXPECT_EQ(outline.SummaryColumn(), 0);
}

TEST(Outline, WsBoolCombinesOutlineAndFitToPage) {
  // No outline object: both summaries default to on.
  EXPECT_EQ(RecordHex(*BuildWsBoolRecord(nullptr, false)), Norm("81 00 02 00 C1 04"));
  EXPECT_EQ(RecordHex(*BuildWsBoolRecord(nullptr, true)), Norm("81 00 02 00 C1 05"));
  TXLSOutline outline;
  outline.SetSummaryRow(0);
  EXPECT_EQ(RecordHex(*BuildWsBoolRecord(&outline, false)), Norm("81 00 02 00 81 04"));
  outline.SetSummaryRow(1);
  outline.SetSummaryColumn(0);
  EXPECT_EQ(RecordHex(*BuildWsBoolRecord(&outline, true)), Norm("81 00 02 00 41 05"));
}

}  // namespace
}  // namespace lx

#include <gtest/gtest.h>

#include "lxPageBreaks.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const TXLSBlob& blob) {
  EXPECT_EQ(blob.Length(), blob.Capacity()) << "record not built at its exact size";
  return test::ToHex(blob.Data(), blob.Length());
}
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

TEST(PageBreaks, AddKeepsBreaksSortedAndUnique) {
  TXLSHPageBreaks breaks;
  TXLSPageBreak* ten = breaks.Add(10);
  ASSERT_NE(ten, nullptr);
  TXLSPageBreak* five = breaks.Add(5);
  EXPECT_EQ(breaks.Add(10), ten);  // an existing position gives its break back
  ASSERT_EQ(breaks.Count(), 2);
  EXPECT_EQ(breaks.Item(1), five);
  EXPECT_EQ(breaks.Item(2), ten);
  EXPECT_EQ(five->Index(), 1);
  EXPECT_EQ(ten->Index(), 2);  // renumbered when 5 went in front of it
  EXPECT_EQ(five->Position(), 5);
  EXPECT_EQ(ten->Position(), 10);

  TXLSPageBreak* seven = breaks.Add(7);
  EXPECT_EQ(seven->Index(), 2);
  EXPECT_EQ(ten->Index(), 3);
  EXPECT_EQ(breaks.Item(3), ten);
  EXPECT_EQ(breaks.Item(0), nullptr);
  EXPECT_EQ(breaks.Item(4), nullptr);
}

TEST(PageBreaks, KindsAndLimits) {
  TXLSHPageBreaks rows;
  TXLSVPageBreaks columns;
  EXPECT_TRUE(rows.Horizontal());
  EXPECT_FALSE(columns.Horizontal());
  EXPECT_NE(dynamic_cast<TXLSHPageBreak*>(rows.Add(3)), nullptr);
  EXPECT_NE(dynamic_cast<TXLSVPageBreak*>(columns.Add(3)), nullptr);
  EXPECT_EQ(rows.Add(-1), nullptr);
  EXPECT_NE(rows.Add(65535), nullptr);
  EXPECT_EQ(rows.Add(65536), nullptr);
  EXPECT_NE(columns.Add(255), nullptr);
  EXPECT_EQ(columns.Add(256), nullptr);
  columns.Clear();
  EXPECT_EQ(columns.Count(), 0);
  EXPECT_EQ(columns.BuildRecord(true), nullptr);
}

TEST(PageBreaks, HorizontalRecordsInListOrder) {
  TXLSHPageBreaks breaks;
  EXPECT_EQ(breaks.BuildRecord(false), nullptr);
  breaks.Add(10);
  breaks.Add(5);
  EXPECT_EQ(RecordHex(*breaks.BuildRecord(false)), Norm("1B 00 06 00 02 00 05 00 0A 00"));
  EXPECT_EQ(RecordHex(*breaks.BuildRecord(true)), Norm("1B 00 0E 00 02 00 05 00 00 00 FF 00 0A 00 00 00 FF 00"));
}

TEST(PageBreaks, VerticalRecordsSpanAllRows) {
  TXLSVPageBreaks breaks;
  breaks.Add(3);
  EXPECT_EQ(RecordHex(*breaks.BuildRecord(false)), Norm("1A 00 04 00 01 00 03 00"));
  EXPECT_EQ(RecordHex(*breaks.BuildRecord(true)), Norm("1A 00 08 00 01 00 03 00 00 00 FF FF"));
}

}  // namespace
}  // namespace lx

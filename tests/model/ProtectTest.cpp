#include <gtest/gtest.h>

#include "lxProtect.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const TXLSBlob& blob) {
  EXPECT_EQ(blob.Length(), blob.Capacity()) << "record not built at its exact size";
  return test::ToHex(blob.Data(), blob.Length());
}
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

// Expected hashes worked out by hand from the verifier algorithm:
//   "a":  'a' (0x61) << 1 = 0x00C2;  0x00C2 ^ 1 (length) ^ 0xCE4B = 0xCE88
//   "ab": 0x00C2 ^ ('b' 0x62 << 2 = 0x0188) = 0x014A;  ^ 2 ^ 0xCE4B = 0xCF03
//   "\xFF": 0xFF << 1 = 0x01FE; ^ 1 ^ 0xCE4B = 0xCFB4 (a byte above 0x7F must
//           not be sign-extended)
//   "abcdefghij": the shifted characters are 00C2 0188 0318 0640 0CA0 1980
//           3380 6800, then 'i' << 9 = 0xD200 folds to 0x5200 | 1 = 0x5201 and
//           'j' << 10 = 0x1A800 folds to 0x2800 | 3 = 0x2803; their XOR is
//           0x30B0; ^ 10 ^ 0xCE4B = 0xFEF1.
TEST(Protect, PasswordHashMatchesHandComputedValues) {
  EXPECT_EQ(PasswordHash(""), 0);
  EXPECT_EQ(PasswordHash("a"), 0xCE88);
  EXPECT_EQ(PasswordHash("ab"), 0xCF03);
  EXPECT_EQ(PasswordHash("\xFF"), 0xCFB4);
  EXPECT_EQ(PasswordHash("abcdefghij"), 0xFEF1);
  // Long passwords keep hashing without faults and stay case-sensitive.
  EXPECT_NE(PasswordHash(std::string(40, 'x')), PasswordHash(std::string(40, 'X')));
}

TEST(Protect, NewObjectIsUnprotectedWithDefaultOptions) {
  TXLSProtect p;
  EXPECT_FALSE(p.Protected());
  EXPECT_FALSE(p.HasPassword());
  EXPECT_EQ(p.PasswordHashValue(), 0);
  EXPECT_EQ(p.Options(), 0x4400);
}

TEST(Protect, ExistingPasswordMustBeMatchedToProtectAgain) {
  TXLSProtect p;
  EXPECT_TRUE(p.ProtectWithPassword("abcdefghij"));
  EXPECT_TRUE(p.Protected());
  EXPECT_TRUE(p.HasPassword());
  EXPECT_EQ(p.PasswordHashValue(), 0xFEF1);

  EXPECT_FALSE(p.ProtectWithPassword("other"));
  EXPECT_EQ(p.PasswordHashValue(), 0xFEF1);
  EXPECT_FALSE(p.ProtectWithPassword(""));  // empty does not clear a password
  EXPECT_TRUE(p.HasPassword());
  EXPECT_EQ(p.PasswordHashValue(), 0xFEF1);

  EXPECT_TRUE(p.ProtectWithPassword("abcdefghij"));
  EXPECT_EQ(p.PasswordHashValue(), 0xFEF1);
}

TEST(Protect, UnprotectChecksThePassword) {
  TXLSProtect p;
  p.ProtectWithPassword("a");
  EXPECT_FALSE(p.UnprotectWithPassword("b", true));
  EXPECT_FALSE(p.UnprotectWithPassword("", true));
  EXPECT_TRUE(p.Protected());
  EXPECT_EQ(p.PasswordHashValue(), 0xCE88);

  EXPECT_TRUE(p.UnprotectWithPassword("a", true));
  EXPECT_FALSE(p.Protected());
  EXPECT_FALSE(p.HasPassword());
  EXPECT_EQ(p.PasswordHashValue(), 0);
  // Protecting afresh takes any new password.
  EXPECT_TRUE(p.ProtectWithPassword("ab"));
  EXPECT_EQ(p.PasswordHashValue(), 0xCF03);
}

TEST(Protect, UnprotectWithoutCheckAlwaysSucceeds) {
  TXLSProtect p;
  p.ProtectWithPassword("a");
  EXPECT_TRUE(p.UnprotectWithPassword("wrong", false));
  EXPECT_FALSE(p.Protected());
  EXPECT_FALSE(p.HasPassword());
}

TEST(Protect, EmptyPasswordProtectsWithoutPassword) {
  TXLSProtect p;
  EXPECT_TRUE(p.ProtectWithPassword(""));
  EXPECT_TRUE(p.Protected());
  EXPECT_FALSE(p.HasPassword());
  // Without a password any text unprotects, and any text may protect again.
  EXPECT_TRUE(p.ProtectWithPassword("a"));
  EXPECT_EQ(p.PasswordHashValue(), 0xCE88);
  TXLSProtect q;
  q.ProtectWithPassword("");
  EXPECT_TRUE(q.UnprotectWithPassword("anything", true));
  EXPECT_FALSE(q.Protected());
}

TEST(Protect, ReaderSettersFollowTheHash) {
  TXLSProtect p;
  p.SetProtected(true);
  p.SetPasswordHash(0xCE88);
  EXPECT_TRUE(p.Protected());
  EXPECT_TRUE(p.HasPassword());
  EXPECT_FALSE(p.UnprotectWithPassword("b", true));
  EXPECT_TRUE(p.UnprotectWithPassword("a", true));

  // A sheet protected without a password is read as PROTECT 1 then
  // PASSWORD 0 and must stay protected.
  p.SetProtected(true);
  p.SetPasswordHash(0xCE88);
  p.SetPasswordHash(0);
  EXPECT_TRUE(p.Protected());
  EXPECT_FALSE(p.HasPassword());
  EXPECT_EQ(p.PasswordHashValue(), 0);
  EXPECT_TRUE(p.UnprotectWithPassword("", true));
}

TEST(Protect, SheetRecordsOfAProtectedSheet) {
  TXLSProtect p;
  EXPECT_TRUE(BuildSheetProtectRecords(p).empty());
  EXPECT_EQ(BuildSheetProtectionRecord(p), nullptr);

  p.ProtectWithPassword("abcdefghij");
  auto records = BuildSheetProtectRecords(p);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(RecordHex(*records[0]), Norm("12 00 02 00 01 00"));  // PROTECT
  EXPECT_EQ(RecordHex(*records[1]), Norm("DD 00 02 00 01 00"));  // SCENPROTECT
  EXPECT_EQ(RecordHex(*records[2]), Norm("63 00 02 00 01 00"));  // OBJPROTECT
  EXPECT_EQ(RecordHex(*records[3]), Norm("13 00 02 00 F1 FE"));  // PASSWORD

  auto protection = BuildSheetProtectionRecord(p);
  ASSERT_NE(protection, nullptr);
  EXPECT_EQ(RecordHex(*protection), Norm("67 08 17 00 67 08 00 00 00 00 00 00 00 00"
                                         "00 00 02 00 01 FF FF FF FF 00 44 00 00"));
}

TEST(Protect, ObjectOptionAndEmptyPasswordRecords) {
  TXLSProtect p;
  p.ProtectWithPassword("");
  p.SetOptions(0x4401);
  auto records = BuildSheetProtectRecords(p);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(RecordHex(*records[2]), Norm("63 00 02 00 00 00"));
  EXPECT_EQ(RecordHex(*records[3]), Norm("13 00 02 00 00 00"));
  auto protection = BuildSheetProtectionRecord(p);
  EXPECT_EQ(RecordHex(*protection), Norm("67 08 17 00 67 08 00 00 00 00 00 00 00 00"
                                         "00 00 02 00 01 FF FF FF FF 01 44 00 00"));
}

TEST(Protect, WorkbookRecords) {
  TXLSProtect p;
  EXPECT_TRUE(BuildWorkbookProtectRecords(p).empty());
  p.ProtectWithPassword("a");
  auto records = BuildWorkbookProtectRecords(p);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(RecordHex(*records[0]), Norm("12 00 02 00 01 00"));
  EXPECT_EQ(RecordHex(*records[1]), Norm("13 00 02 00 88 CE"));
}

}  // namespace
}  // namespace lx

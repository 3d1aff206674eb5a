#include "lxProtect.h"

namespace lx {

namespace {

constexpr uint16_t kHashMix = 0xCE4B;
constexpr uint32_t kLow15Bits = 0x7FFF;
constexpr uint32_t kRotatedBits = 0x3FFF8000;
constexpr uint16_t kSheetProtectionPayload = 23;
// Fixed part of SHEETPROTECTION: the shared feature header naming the
// sheet-protection feature, then the all-set flag bytes.
constexpr uint8_t kSheetProtectionFeatureBytes[] = {0, 0, 2, 0, 1};
constexpr uint8_t kSheetProtectionFlagBytes[] = {0xFF, 0xFF, 0xFF, 0xFF};

}  // namespace

uint16_t PasswordHash(std::string_view password) {
  if (password.empty()) return 0;
  uint32_t hash = 0;
  uint32_t shift = 1;
  for (const char c : password) {
    // Characters are at most 8 bits and shifts at most 15 bits matter (the
    // rest is folded), but long passwords must not shift past 31 bits.
    const uint32_t v = static_cast<uint32_t>(static_cast<uint8_t>(c)) << (shift & 31);
    hash ^= (v & kLow15Bits) | ((v & kRotatedBits) >> 15);
    ++shift;
  }
  hash ^= static_cast<uint32_t>(password.size());
  hash ^= kHashMix;
  return static_cast<uint16_t>(hash);
}

bool TXLSProtect::ProtectWithPassword(std::string_view password) {
  if (hasPassword_ && PasswordHash(password) != hash_) return false;
  protected_ = true;
  hash_ = PasswordHash(password);
  hasPassword_ = !password.empty();
  return true;
}

bool TXLSProtect::UnprotectWithPassword(std::string_view password, bool checkPassword) {
  if (checkPassword && protected_ && hasPassword_ && PasswordHash(password) != hash_) return false;
  protected_ = false;
  hasPassword_ = false;
  hash_ = 0;
  return true;
}

void TXLSProtect::SetPasswordHash(uint16_t value) {
  // A zero hash means "no password"; it does not undo a PROTECT record read
  // just before it, or sheets protected without a password would lose their
  // protection on every round trip.
  hash_ = value;
  hasPassword_ = value != 0;
}

std::vector<std::unique_ptr<TXLSBlob>> BuildSheetProtectRecords(const TXLSProtect& protect) {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  if (!protect.Protected()) return records;
  records.push_back(WordRecord(kRecProtect, 1));
  records.push_back(WordRecord(kRecScenProtect, 1));
  records.push_back(WordRecord(kRecObjProtect, static_cast<uint16_t>(1 - (protect.Options() & kProtectOptionObjects))));
  records.push_back(WordRecord(kRecPassword, protect.HasPassword() ? protect.PasswordHashValue() : 0));
  return records;
}

std::unique_ptr<TXLSBlob> BuildSheetProtectionRecord(const TXLSProtect& protect) {
  if (!protect.Protected()) return nullptr;
  auto blob = NewRecord(kRecSheetProtection, kSheetProtectionPayload);
  blob->AddWord(kRecSheetProtection);
  blob->AddDWord(0);
  blob->AddDWord(0);
  blob->AddBytes(kSheetProtectionFeatureBytes, sizeof kSheetProtectionFeatureBytes);
  blob->AddBytes(kSheetProtectionFlagBytes, sizeof kSheetProtectionFlagBytes);
  blob->AddWord(protect.Options());
  blob->AddWord(0);
  return blob;
}

std::vector<std::unique_ptr<TXLSBlob>> BuildWorkbookProtectRecords(const TXLSProtect& protect) {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  if (!protect.Protected()) return records;
  records.push_back(WordRecord(kRecProtect, 1));
  records.push_back(WordRecord(kRecPassword, protect.PasswordHashValue()));
  return records;
}

}  // namespace lx

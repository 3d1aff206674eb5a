// Sheet and workbook protection.
//
// A worksheet and the workbook each own one TXLSProtect: whether protection is
// on, whether it carries a password, the password's 16-bit hash and the
// option bits the sheet protection records carry. Passwords are never kept,
// only their hash, so a later protect or unprotect call proves knowledge of
// the password by hashing to the same value. The worksheet writer and the
// workbook-globals writer turn the state into PROTECT, SCENPROTECT,
// OBJPROTECT, PASSWORD and SHEETPROTECTION records with the builders below;
// the workbook reader fills the state back through the plain setters.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "lxBLOB.h"

namespace lx {

// Record number of PROTECT.
inline constexpr uint16_t kRecProtect = 0x0012;
// Record number of PASSWORD.
inline constexpr uint16_t kRecPassword = 0x0013;
// Record number of OBJPROTECT.
inline constexpr uint16_t kRecObjProtect = 0x0063;
// Record number of SCENPROTECT.
inline constexpr uint16_t kRecScenProtect = 0x00DD;
// Record number of SHEETPROTECTION.
inline constexpr uint16_t kRecSheetProtection = 0x0867;

// The protection options of a new sheet.
inline constexpr uint16_t kDefaultProtectOptions = 0x4400;
// Option bit 0: objects may be edited (OBJPROTECT then writes 0).
inline constexpr uint16_t kProtectOptionObjects = 0x0001;

// Password verifier of the sheet and workbook protection: 0 for the empty
// password; the password's 8-bit characters (system code page) rotated and
// folded into 15 bits, then mixed with the length and 0xCE4B.
uint16_t PasswordHash(std::string_view password);

// Protection of a sheet or of a workbook's structure: on or off, and the password's verifier.
class TXLSProtect {
 public:
  // Whether protection is on.
  bool Protected() const { return protected_; }
  // Whether a password is in force.
  bool HasPassword() const { return hasPassword_; }
  // The password verifier (PasswordHash); 0 without a password.
  uint16_t PasswordHashValue() const { return hash_; }
  // The SHEETPROTECTION options.
  uint16_t Options() const { return options_; }

  // Turns protection on. When a password is set already, password must hash
  // to it, else nothing changes (false). A non-empty password becomes the new
  // password; an empty one leaves protection without a password.
  bool ProtectWithPassword(std::string_view password);
  // Turns protection off and forgets the password. With checkPassword set and
  // a password in force, password must hash to it, else nothing changes and
  // the result is false.
  bool UnprotectWithPassword(std::string_view password, bool checkPassword);

  // Plain setters for the reader. A non-zero hash sets has-password, 0 clears
  // it; neither changes whether protection is on.
  void SetProtected(bool value) { protected_ = value; }
  // Sets the SHEETPROTECTION options.
  void SetOptions(uint16_t value) { options_ = value; }
  // Sets the password verifier.
  void SetPasswordHash(uint16_t value);

 private:
  bool protected_ = false;
  bool hasPassword_ = false;
  uint16_t hash_ = 0;
  uint16_t options_ = kDefaultProtectOptions;
};

// Worksheet records of a protected sheet, in writing order: PROTECT,
// SCENPROTECT, OBJPROTECT, PASSWORD. Empty when the sheet is not protected.
std::vector<std::unique_ptr<TXLSBlob>> BuildSheetProtectRecords(const TXLSProtect& protect);
// BIFF8 SHEETPROTECTION (written near the end of the sheet substream); null
// when the sheet is not protected.
std::unique_ptr<TXLSBlob> BuildSheetProtectionRecord(const TXLSProtect& protect);
// Workbook globals: PROTECT and PASSWORD; empty when the workbook is not
// protected.
std::vector<std::unique_ptr<TXLSBlob>> BuildWorkbookProtectRecords(const TXLSProtect& protect);

}  // namespace lx

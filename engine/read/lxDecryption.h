// Decryption of password-protected workbook streams.
//
// A protected BIFF stream carries a FILEPASS record; every record body after
// it (with a few exceptions the record reader, lxStream.h, decides) is
// encrypted under a key stream that runs with the position in the workbook
// stream, so bytes read in the clear still advance it. Two schemes exist:
// RC4 with keys derived by MD5 from the password and a salt (BIFF8), and the
// older XOR obfuscation with a 16-byte array (BIFF5 and BIFF8). A decrypter
// is made for one FILEPASS record, checks a password against it (Init), and
// then follows the stream: Skip for bytes read in the clear, Decrypt for the
// rest, always in stream order.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "lxCrypto.h"

namespace lx {

inline constexpr uint16_t kRecFilePass = 0x002F;

// Result codes of decryption (the record reader's failures start at -1001).
inline constexpr int32_t kResultFilePassShort = -1001;     // FILEPASS data too short
inline constexpr int32_t kResultFilePassUnknown = -1002;   // neither XOR (0) nor RC4 (1)
inline constexpr int32_t kResultPasswordRequired = -1003;  // default password failed, none given
inline constexpr int32_t kResultPasswordTooLong = -1004;   // RC4 password of 32 characters or more
inline constexpr int32_t kResultPasswordWrong = -1005;     // verifier mismatch

// Passwords tried, in this order, before the caller's: a workbook protected
// with one of them opens without a password. The second is the one the file
// format publishes for workbooks that are only write-protected.
inline constexpr char16_t kDefaultPassword[] = u"QuietHarborLamp";
inline constexpr char16_t kPublishedDefaultPassword[] = u"VelvetSweatshop";

// RC4 FILEPASS layout: type, two version words, salt, encrypted verifier and
// its encrypted MD5.
inline constexpr uint32_t kRC4SaltOffset = 6;
inline constexpr uint32_t kRC4VerifierOffset = 22;
inline constexpr uint32_t kRC4VerifierHashOffset = 38;
inline constexpr uint32_t kRC4FilePassSize = 54;
inline constexpr uint32_t kRC4BlockSize = 1024;
inline constexpr size_t kRC4MaxPassword = 31;

class TXLSDecrypter {
 public:
  virtual ~TXLSDecrypter() = default;
  // Checks password against the FILEPASS data and prepares the key: 1, or a
  // failure code. Nothing else may be called after a failure.
  [[nodiscard]] virtual int32_t Init(std::span<const uint8_t> filePass, const std::u16string& password) = 0;
  // Advances over count bytes that are read in the clear.
  virtual void Skip(uint64_t count) = 0;
  // Decrypts count bytes in place and advances over them.
  virtual void Decrypt(uint8_t* data, size_t count) = 0;
};

class TXLSDecrypterRC4 final : public TXLSDecrypter {
 public:
  [[nodiscard]] int32_t Init(std::span<const uint8_t> filePass, const std::u16string& password) override;
  void Skip(uint64_t count) override;
  void Decrypt(uint8_t* data, size_t count) override;

  // The MD5 base key derived from a password and a salt (the first 5 bytes of
  // the digest are what the block keys use).
  static TDigest16 DeriveBaseKey(const std::u16string& password, const uint8_t salt[16]);
  // The RC4 key of one 1,024-byte block.
  static TDigest16 BlockKey(const TDigest16& baseKey, uint32_t block);

 private:
  void Rekey(uint64_t block);

  TDigest16 baseKey_{};
  uint64_t position_ = 0;
  int64_t block_ = -1;
  TRC4 rc4_;
};

class TXLSDecrypterXOR final : public TXLSDecrypter {
 public:
  [[nodiscard]] int32_t Init(std::span<const uint8_t> filePass, const std::u16string& password) override;
  void Skip(uint64_t count) override { position_ += count; }
  void Decrypt(uint8_t* data, size_t count) override;

  // The 16-bit verifier of a password given as 8-bit bytes.
  static uint16_t Verifier(std::span<const uint8_t> password);
  // The array that decryption XORs onto each rotated byte.
  static std::array<uint8_t, 16> MakeArray(std::span<const uint8_t> password, uint16_t key);
  const std::array<uint8_t, 16>& Array() const { return array_; }

 private:
  std::array<uint8_t, 16> array_{};
  uint64_t position_ = 0;
};

// Chooses the scheme of a FILEPASS record and accepts it with the default
// passwords, else with the caller's. On 1, decrypter holds the initialised
// decrypter; otherwise it is empty and the failure code is returned.
[[nodiscard]] int32_t MakeDecrypter(std::span<const uint8_t> filePass, const std::u16string& password,
                                    std::unique_ptr<TXLSDecrypter>& decrypter);

}  // namespace lx

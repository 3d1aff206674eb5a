// The RC4 and XOR decrypters; see lxDecryption.h.
#include "lxDecryption.h"

#include <algorithm>
#include <cstring>

#include "lxCodePage.h"
#include "lxConstants.h"

namespace lx {

namespace {

uint16_t Word(std::span<const uint8_t> data, size_t offset) {
  return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
}

uint8_t RotateLeft(uint8_t b, int n) { return static_cast<uint8_t>((b << n) | (b >> (8 - n))); }

// The bytes that fill the XOR array after a password shorter than 16 bytes.
constexpr uint8_t kXorPad[15] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                 0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};

}  // namespace

// ---------------------------------------------------------------------------
// RC4

TDigest16 TXLSDecrypterRC4::DeriveBaseKey(const std::u16string& password, const uint8_t salt[16]) {
  TMD5Hash md5;
  for (char16_t c : password) {
    const uint8_t unit[2] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)};
    md5.Update(unit, 2);
  }
  const TDigest16 h0 = md5.Final();
  uint8_t piece[21];
  std::memcpy(piece, h0.data(), 5);
  std::memcpy(piece + 5, salt, 16);
  for (int i = 0; i < 16; ++i) md5.Update(piece, sizeof piece);
  return md5.Final();
}

TDigest16 TXLSDecrypterRC4::BlockKey(const TDigest16& baseKey, uint32_t block) {
  uint8_t input[9];
  std::memcpy(input, baseKey.data(), 5);
  for (int i = 0; i < 4; ++i) input[5 + i] = static_cast<uint8_t>(block >> (8 * i));
  return TMD5Hash::Digest(input, sizeof input);
}

void TXLSDecrypterRC4::Rekey(uint64_t block) {
  const TDigest16 key = BlockKey(baseKey_, static_cast<uint32_t>(block));
  rc4_.SetKey(key.data(), key.size());
  block_ = static_cast<int64_t>(block);
}

int32_t TXLSDecrypterRC4::Init(std::span<const uint8_t> filePass, const std::u16string& password) {
  // The verifier and its hash lie at the end of the record: shorter data has
  // nothing to check a password against.
  if (filePass.size() < kRC4FilePassSize) return kResultFilePassShort;
  if (password.size() > kRC4MaxPassword) return kResultPasswordTooLong;
  baseKey_ = DeriveBaseKey(password, filePass.data() + kRC4SaltOffset);
  Rekey(0);
  uint8_t verifier[32];
  std::memcpy(verifier, filePass.data() + kRC4VerifierOffset, 16);
  std::memcpy(verifier + 16, filePass.data() + kRC4VerifierHashOffset, 16);
  rc4_.Crypt(verifier, sizeof verifier);
  const TDigest16 hash = TMD5Hash::Digest(verifier, 16);
  if (std::memcmp(hash.data(), verifier + 16, 16) != 0) return kResultPasswordWrong;
  block_ = -1;
  position_ = 0;
  return kResultOk;
}

void TXLSDecrypterRC4::Skip(uint64_t count) {
  const uint64_t target = position_ + count;
  if (static_cast<int64_t>(target / kRC4BlockSize) != block_) {
    Rekey(target / kRC4BlockSize);
    rc4_.Discard(target % kRC4BlockSize);
  } else {
    rc4_.Discard(count);
  }
  position_ = target;
}

void TXLSDecrypterRC4::Decrypt(uint8_t* data, size_t count) {
  if (count == 0) return;
  if (static_cast<int64_t>(position_ / kRC4BlockSize) != block_) {
    // Only when nothing was skipped to bring the key to this position.
    Rekey(position_ / kRC4BlockSize);
    rc4_.Discard(position_ % kRC4BlockSize);
  }
  while (count > 0) {
    const uint64_t blockEnd = (static_cast<uint64_t>(block_) + 1) * kRC4BlockSize;
    const size_t k = static_cast<size_t>(std::min<uint64_t>(count, blockEnd - position_));
    rc4_.Crypt(data, k);
    data += k;
    count -= k;
    position_ += k;
    if (position_ == blockEnd && count > 0) Rekey(static_cast<uint64_t>(block_) + 1);
  }
}

// ---------------------------------------------------------------------------
// XOR

uint16_t TXLSDecrypterXOR::Verifier(std::span<const uint8_t> password) {
  uint32_t v = 0;
  for (size_t i = 1; i <= password.size(); ++i) {
    // Bits shifted beyond 30 are masked away whatever the shift, so a
    // password longer than the format's 15 characters stays well defined.
    const uint64_t x = i < 64 ? uint64_t{password[i - 1]} << i : 0;
    v ^= static_cast<uint32_t>((x & 0x7FFF) | ((x & 0x3FFF8000) >> 15));
  }
  return static_cast<uint16_t>(v ^ password.size() ^ 0xCE4B);
}

std::array<uint8_t, 16> TXLSDecrypterXOR::MakeArray(std::span<const uint8_t> password, uint16_t key) {
  std::array<uint8_t, 16> array{};
  const size_t k = std::min<size_t>(password.size(), 16);
  std::copy_n(password.begin(), k, array.begin());
  std::copy_n(kXorPad, 16 - k, array.begin() + k);
  for (size_t i = 0; i < 16; ++i) {
    array[i] ^= static_cast<uint8_t>(i % 2 == 0 ? key : key >> 8);
    array[i] = RotateLeft(array[i], 2);
  }
  return array;
}

int32_t TXLSDecrypterXOR::Init(std::span<const uint8_t> filePass, const std::u16string& password) {
  // The BIFF5 layout is key and verifier alone; later ones put a type word
  // before them, so the verifier ends at byte 6.
  const size_t at = filePass.size() == 4 ? 0 : 2;
  if (filePass.size() < at + 4) return kResultFilePassShort;
  const uint16_t key = Word(filePass, at);
  const uint16_t stored = Word(filePass, at + 2);
  const std::string bytes = WideToAnsi(password);
  const std::span<const uint8_t> p(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (p.empty() || Verifier(p) != stored) return kResultPasswordWrong;
  array_ = MakeArray(p, key);
  position_ = 0;
  return kResultOk;
}

void TXLSDecrypterXOR::Decrypt(uint8_t* data, size_t count) {
  size_t index = static_cast<size_t>((position_ + count) % 16);
  for (size_t i = 0; i < count; ++i) {
    data[i] = static_cast<uint8_t>(RotateLeft(data[i], 3) ^ array_[index]);
    index = (index + 1) % 16;
  }
  position_ += count;
}

// ---------------------------------------------------------------------------

int32_t MakeDecrypter(std::span<const uint8_t> filePass, const std::u16string& password,
                      std::unique_ptr<TXLSDecrypter>& decrypter) {
  decrypter.reset();
  if (filePass.size() <= 1) return kResultFilePassShort;
  const uint16_t type = Word(filePass, 0);
  const bool xorScheme = type == 0 || filePass.size() == 4;
  if (!xorScheme && type != 1) return kResultFilePassUnknown;
  const auto make = [xorScheme]() -> std::unique_ptr<TXLSDecrypter> {
    if (xorScheme) return std::make_unique<TXLSDecrypterXOR>();
    return std::make_unique<TXLSDecrypterRC4>();
  };
  for (const char16_t* fallback : {kDefaultPassword, kPublishedDefaultPassword}) {
    std::unique_ptr<TXLSDecrypter> candidate = make();
    const int32_t result = candidate->Init(filePass, fallback);
    if (result == kResultOk) {
      decrypter = std::move(candidate);
      return kResultOk;
    }
    // Data that no password can fit is refused as it is.
    if (result != kResultPasswordWrong) return result;
  }
  if (password.empty()) return kResultPasswordRequired;
  std::unique_ptr<TXLSDecrypter> candidate = make();
  const int32_t result = candidate->Init(filePass, password);
  if (result == kResultOk) decrypter = std::move(candidate);
  return result;
}

}  // namespace lx

// Test helpers: record streams built in memory, and encoders for the two
// protection schemes written from their published descriptions (RC4 with MD5
// key derivation, and XOR obfuscation method 1), independent of the reader's
// decrypters: the RC4 key stream is made a whole 1,024-byte block at a time,
// and the XOR array the published way (rotated right by one bit, the data
// rotated left by five before the XOR).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lxCrypto.h"

namespace lx::test {

struct TRec {
  uint16_t number;
  std::vector<uint8_t> data;
};

inline std::vector<uint8_t> Filled(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
  return v;
}

inline void PutRecord(std::vector<uint8_t>& out, uint16_t number, const std::vector<uint8_t>& data) {
  const auto length = static_cast<uint16_t>(data.size());
  const uint8_t header[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                             static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
  out.insert(out.end(), header, header + 4);
  out.insert(out.end(), data.begin(), data.end());
}

inline std::vector<uint8_t> Join(const std::vector<TRec>& records) {
  std::vector<uint8_t> out;
  for (const TRec& r : records) PutRecord(out, r.number, r.data);
  return out;
}

// The stream offsets and lengths of the record bodies that a protected
// stream encrypts: all but BOF bodies, everything up to FILEPASS and the
// body of the record after it.
struct TBody {
  size_t offset;
  size_t length;
};
inline std::vector<TBody> EncryptedBodies(const std::vector<uint8_t>& stream) {
  std::vector<TBody> bodies;
  bool seenFilePass = false, afterFilePass = false;
  for (size_t at = 0; at + 4 <= stream.size();) {
    const uint16_t number = static_cast<uint16_t>(stream[at] | (stream[at + 1] << 8));
    const size_t length = static_cast<size_t>(stream[at + 2] | (stream[at + 3] << 8));
    const bool plain = !seenFilePass || afterFilePass || number == 0x0809;
    afterFilePass = false;
    if (number == 0x002F && !seenFilePass) seenFilePass = afterFilePass = true;
    if (!plain && length > 0) bodies.push_back({at + 4, length});
    at += 4 + length;
  }
  return bodies;
}

inline TDigest16 TestBaseKey(const std::u16string& password, const uint8_t salt[16]) {
  std::vector<uint8_t> units;
  for (char16_t c : password) {
    units.push_back(static_cast<uint8_t>(c));
    units.push_back(static_cast<uint8_t>(c >> 8));
  }
  const TDigest16 h0 = TMD5Hash::Digest(units.data(), units.size());
  std::vector<uint8_t> repeated;
  for (int i = 0; i < 16; ++i) {
    repeated.insert(repeated.end(), h0.begin(), h0.begin() + 5);
    repeated.insert(repeated.end(), salt, salt + 16);
  }
  return TMD5Hash::Digest(repeated.data(), repeated.size());
}

inline TRC4 TestBlockCipher(const TDigest16& base, uint32_t block) {
  uint8_t input[9];
  std::memcpy(input, base.data(), 5);
  for (int i = 0; i < 4; ++i) input[5 + i] = static_cast<uint8_t>(block >> (8 * i));
  const TDigest16 key = TMD5Hash::Digest(input, 9);
  TRC4 rc4;
  rc4.SetKey(key.data(), key.size());
  return rc4;
}

// The 54 bytes of an RC4 FILEPASS record for password.
inline std::vector<uint8_t> RC4FilePass(const std::u16string& password) {
  uint8_t salt[16], verifier[32];
  for (int i = 0; i < 16; ++i) {
    salt[i] = static_cast<uint8_t>(0x30 + 11 * i);
    verifier[i] = static_cast<uint8_t>(0xA0 ^ (5 * i));
  }
  const TDigest16 hash = TMD5Hash::Digest(verifier, 16);
  std::memcpy(verifier + 16, hash.data(), 16);
  TRC4 rc4 = TestBlockCipher(TestBaseKey(password, salt), 0);
  rc4.Crypt(verifier, 32);
  std::vector<uint8_t> data = {1, 0, 1, 0, 1, 0};
  data.insert(data.end(), salt, salt + 16);
  data.insert(data.end(), verifier, verifier + 32);
  return data;
}

// Encrypts a plain stream whose FILEPASS was made by RC4FilePass(password).
inline void EncryptRC4(std::vector<uint8_t>& stream, const std::u16string& password) {
  size_t filePass = 0;
  while (static_cast<uint16_t>(stream[filePass] | (stream[filePass + 1] << 8)) != 0x002F) {
    filePass += 4 + static_cast<size_t>(stream[filePass + 2] | (stream[filePass + 3] << 8));
  }
  const TDigest16 base = TestBaseKey(password, stream.data() + filePass + 4 + 6);
  std::vector<uint8_t> keyStream((stream.size() / 1024 + 1) * 1024, 0);
  for (size_t block = 0; block * 1024 < keyStream.size(); ++block) {
    TestBlockCipher(base, static_cast<uint32_t>(block)).Crypt(keyStream.data() + block * 1024, 1024);
  }
  for (const TBody& body : EncryptedBodies(stream)) {
    for (size_t i = 0; i < body.length; ++i) stream[body.offset + i] ^= keyStream[body.offset + i];
  }
}

inline uint8_t RotateRight1(uint8_t b) { return static_cast<uint8_t>((b >> 1) | (b << 7)); }
inline uint8_t RotateLeft5(uint8_t b) { return static_cast<uint8_t>((b << 5) | (b >> 3)); }

// The published XOR obfuscation array of a password and key.
inline std::vector<uint8_t> PublishedXorArray(const std::string& password, uint16_t key) {
  static const uint8_t kPad[15] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                   0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};
  std::vector<uint8_t> array(16);
  for (size_t i = 0; i < 16; ++i) {
    const uint8_t source = i < password.size() ? static_cast<uint8_t>(password[i]) : kPad[i - password.size()];
    array[i] = RotateRight1(static_cast<uint8_t>(source ^ (i % 2 ? key >> 8 : key & 0xFF)));
  }
  return array;
}

// The published password verifier, method 1: the bytes (length first)
// folded from the last with a 15-bit rotation.
inline uint16_t PublishedXorVerifier(const std::string& password) {
  std::vector<uint8_t> bytes{static_cast<uint8_t>(password.size())};
  bytes.insert(bytes.end(), password.begin(), password.end());
  uint16_t v = 0;
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    v = static_cast<uint16_t>((((v & 0x4000) ? 1 : 0) | ((v * 2) & 0x7FFF)) ^ *it);
  }
  return static_cast<uint16_t>(v ^ 0xCE4B);
}

// Obfuscates a plain stream with the published method: each body's array
// index starts at (its stream offset + its length) mod 16.
inline void EncryptXor(std::vector<uint8_t>& stream, const std::string& password, uint16_t key) {
  const std::vector<uint8_t> array = PublishedXorArray(password, key);
  for (const TBody& body : EncryptedBodies(stream)) {
    size_t index = (body.offset + body.length) % 16;
    for (size_t i = 0; i < body.length; ++i) {
      uint8_t& b = stream[body.offset + i];
      b = static_cast<uint8_t>(RotateLeft5(b) ^ array[index]);
      index = (index + 1) % 16;
    }
  }
}

}  // namespace lx::test

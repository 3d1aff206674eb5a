// Message digests and the stream cipher that protected workbooks use.
//
// Password-protected XLS files derive their keys with MD5 and encrypt their
// records with RC4; the drawing layer names pictures by their MD4 digest.
// These are the published algorithms (MD5: RFC 1321, MD4: RFC 1320, RC4 as
// used by the file format), kept small and free of any library. None of them
// is fit to protect anything new: they are here to read what others wrote.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lx {

using TDigest16 = std::array<uint8_t, 16>;

// The shared frame of MD4 and MD5: 64-byte blocks, a 64-bit bit count, the
// same padding and little-endian output. Derived classes give the block
// transform.
class TMDHashBase {
 public:
  void Update(const void* data, size_t count);
  void Update(std::span<const uint8_t> data) { Update(data.data(), data.size()); }
  // Pads, finishes and returns the digest; the object starts over afterwards.
  TDigest16 Final();

 protected:
  using TTransform = void (*)(uint32_t state[4], const uint8_t block[64]);
  explicit TMDHashBase(TTransform transform) : transform_(transform) { Reset(); }
  void Reset();

 private:
  TTransform transform_;
  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes hashed so far
  uint8_t block_[64];
  size_t fill_ = 0;
};

class TMD5Hash final : public TMDHashBase {
 public:
  TMD5Hash();
  static TDigest16 Digest(const void* data, size_t count);
};

class TMD4Hash final : public TMDHashBase {
 public:
  TMD4Hash();
  static TDigest16 Digest(const void* data, size_t count);
};

// RC4: a key schedule over a key of 1 to 256 bytes, then a key stream that is
// XORed onto the data.
class TRC4 {
 public:
  // Keys longer than 256 bytes use their first 256; an empty key leaves the
  // identity permutation.
  void SetKey(const uint8_t* key, size_t length);
  // XORs the next count key-stream bytes onto data, in place.
  void Crypt(uint8_t* data, size_t count);
  // Advances the key stream by count bytes.
  void Discard(size_t count);

 private:
  uint8_t s_[256] = {};
  uint8_t i_ = 0;
  uint8_t j_ = 0;
};

}  // namespace lx

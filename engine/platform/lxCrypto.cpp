// MD4, MD5 and RC4 as published; see lxCrypto.h.
#include "lxCrypto.h"

#include <cstring>

namespace lx {

namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// MD5 round constants: floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t kMD5K[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr int kMD5Shift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

void MD5Transform(uint32_t state[4], const uint8_t block[64]) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = LoadLE(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    const int round = i / 16;
    switch (round) {
      case 0:
        f = (b & c) | (~b & d);
        g = i;
        break;
      case 1:
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
        break;
      case 2:
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
        break;
      default:
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
        break;
    }
    const uint32_t rotated = Rotl(a + f + kMD5K[i] + m[g], kMD5Shift[round][i % 4]);
    a = d;
    d = c;
    c = b;
    b += rotated;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void MD4Transform(uint32_t state[4], const uint8_t block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLE(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  const auto f = [](uint32_t u, uint32_t v, uint32_t w) { return (u & v) | (~u & w); };
  const auto g = [](uint32_t u, uint32_t v, uint32_t w) { return (u & v) | (u & w) | (v & w); };
  const auto h = [](uint32_t u, uint32_t v, uint32_t w) { return u ^ v ^ w; };
  // Round 1: words in order, shifts 3 7 11 19.
  static constexpr int kS1[4] = {3, 7, 11, 19};
  for (int i = 0; i < 16; ++i) {
    const uint32_t t = Rotl(a + f(b, c, d) + x[i], kS1[i % 4]);
    a = d;
    d = c;
    c = b;
    b = t;
  }
  // Round 2: words by column, shifts 3 5 9 13.
  static constexpr int kS2[4] = {3, 5, 9, 13};
  for (int i = 0; i < 16; ++i) {
    const int k = (i % 4) * 4 + i / 4;
    const uint32_t t = Rotl(a + g(b, c, d) + x[k] + 0x5A827999u, kS2[i % 4]);
    a = d;
    d = c;
    c = b;
    b = t;
  }
  // Round 3: words in bit-reversed order, shifts 3 9 11 15.
  static constexpr int kOrder3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  static constexpr int kS3[4] = {3, 9, 11, 15};
  for (int i = 0; i < 16; ++i) {
    const uint32_t t = Rotl(a + h(b, c, d) + x[kOrder3[i]] + 0x6ED9EBA1u, kS3[i % 4]);
    a = d;
    d = c;
    c = b;
    b = t;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

void TMDHashBase::Reset() {
  state_[0] = 0x67452301u;
  state_[1] = 0xEFCDAB89u;
  state_[2] = 0x98BADCFEu;
  state_[3] = 0x10325476u;
  length_ = 0;
  fill_ = 0;
}

void TMDHashBase::Update(const void* data, size_t count) {
  const auto* p = static_cast<const uint8_t*>(data);
  length_ += count;
  if (fill_ > 0) {
    const size_t k = count < 64 - fill_ ? count : 64 - fill_;
    std::memcpy(block_ + fill_, p, k);
    fill_ += k;
    p += k;
    count -= k;
    if (fill_ < 64) return;
    transform_(state_, block_);
    fill_ = 0;
  }
  for (; count >= 64; p += 64, count -= 64) transform_(state_, p);
  if (count > 0) std::memcpy(block_, p, count);
  fill_ = count;
}

TDigest16 TMDHashBase::Final() {
  const uint64_t bits = length_ * 8;
  static constexpr uint8_t kPad[64] = {0x80};
  Update(kPad, fill_ < 56 ? 56 - fill_ : 120 - fill_);
  uint8_t size[8];
  for (int i = 0; i < 8; ++i) size[i] = static_cast<uint8_t>(bits >> (8 * i));
  Update(size, 8);
  TDigest16 digest;
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<uint8_t>(state_[i] >> (8 * k));
  }
  Reset();
  return digest;
}

TMD5Hash::TMD5Hash() : TMDHashBase(MD5Transform) {}

TDigest16 TMD5Hash::Digest(const void* data, size_t count) {
  TMD5Hash hash;
  hash.Update(data, count);
  return hash.Final();
}

TMD4Hash::TMD4Hash() : TMDHashBase(MD4Transform) {}

TDigest16 TMD4Hash::Digest(const void* data, size_t count) {
  TMD4Hash hash;
  hash.Update(data, count);
  return hash.Final();
}

void TRC4::SetKey(const uint8_t* key, size_t length) {
  for (int k = 0; k < 256; ++k) s_[k] = static_cast<uint8_t>(k);
  i_ = 0;
  j_ = 0;
  if (length == 0) return;
  if (length > 256) length = 256;
  uint8_t j = 0;
  for (size_t k = 0; k < 256; ++k) {
    j = static_cast<uint8_t>(j + s_[k] + key[k % length]);
    const uint8_t t = s_[k];
    s_[k] = s_[j];
    s_[j] = t;
  }
}

void TRC4::Crypt(uint8_t* data, size_t count) {
  uint8_t i = i_, j = j_;
  for (size_t k = 0; k < count; ++k) {
    i = static_cast<uint8_t>(i + 1);
    const uint8_t si = s_[i];
    j = static_cast<uint8_t>(j + si);
    const uint8_t sj = s_[j];
    s_[i] = sj;
    s_[j] = si;
    data[k] ^= s_[static_cast<uint8_t>(si + sj)];
  }
  i_ = i;
  j_ = j;
}

void TRC4::Discard(size_t count) {
  uint8_t i = i_, j = j_;
  for (size_t k = 0; k < count; ++k) {
    i = static_cast<uint8_t>(i + 1);
    const uint8_t si = s_[i];
    j = static_cast<uint8_t>(j + si);
    s_[i] = s_[j];
    s_[j] = si;
  }
  i_ = i;
  j_ = j;
}

}  // namespace lx

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lxCrypto.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;

std::vector<uint8_t> Bytes(const TDigest16& d) { return {d.begin(), d.end()}; }

// The test suites of RFC 1321 (MD5) and RFC 1320 (MD4).
TEST(Digest, PublishedTestSuites) {
  struct Case {
    std::string input;
    const char* md5;
    const char* md4;
  };
  std::string digits;
  for (int i = 0; i < 8; ++i) digits += "1234567890";
  const Case cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e", "31d6cfe0d16ae931b73c59d7e0c089c0"},
      {"a", "0cc175b9c0f1b6a831c399e269772661", "bde52cb31de33e46245e05fbdbd6fb24"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72", "a448017aaf21d8525fc10ae87aa6729d"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0", "d9130a8164549fe818874806e1c7014b"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b", "d79e1c308aa5bbcdeea8ed63df412da9"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f",
       "043f8582f241db351ce627e153e7f0e4"},
      {digits, "57edf4a22be3c955ac49da2e2107b67a", "e33b4ddc9c38f2199c3e7b164fcc0536"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Bytes(TMD5Hash::Digest(c.input.data(), c.input.size())), Hex(c.md5)) << c.input;
    EXPECT_EQ(Bytes(TMD4Hash::Digest(c.input.data(), c.input.size())), Hex(c.md4)) << c.input;
    // Fed in uneven pieces, so that pieces straddle the 64-byte blocks.
    TMD5Hash md5;
    TMD4Hash md4;
    for (size_t at = 0, step = 1; at < c.input.size(); at += step, step = step * 2 + 1) {
      const size_t n = std::min(step, c.input.size() - at);
      md5.Update(c.input.data() + at, n);
      md4.Update(c.input.data() + at, n);
    }
    EXPECT_EQ(Bytes(md5.Final()), Hex(c.md5)) << c.input;
    EXPECT_EQ(Bytes(md4.Final()), Hex(c.md4)) << c.input;
  }
}

// RFC 6229, 40-bit key 0x0102030405: key-stream bytes at the given offsets
// (the data is zeros, so the output is the key stream).
TEST(RC4, PublishedKeyStreamAtOffsets) {
  const uint8_t key[] = {1, 2, 3, 4, 5};
  const struct {
    size_t offset;
    const char* bytes;
  } cases[] = {
      {0, "b2396305f03dc027ccc3524a0a1118a8"},    {16, "6982944f18fc82d589c403a47a0d0919"},
      {240, "28cb1132c96ce286421dcaadb8b69eae"},  {256, "1cfcf62b03eddb641d77dfcf7f8d8c93"},
      {1008, "45129048e6a0ed0b56b490338f078da5"}, {1024, "30abbcc7c20b01609f23ee2d5f6bb7df"},
  };
  for (const auto& c : cases) {
    // Once by encrypting every byte up to the offset, once by discarding.
    std::vector<uint8_t> stream(c.offset + 16, 0);
    TRC4 whole;
    whole.SetKey(key, sizeof key);
    whole.Crypt(stream.data(), stream.size());
    EXPECT_EQ(std::vector<uint8_t>(stream.end() - 16, stream.end()), Hex(c.bytes)) << c.offset;
    TRC4 skipped;
    skipped.SetKey(key, sizeof key);
    skipped.Discard(c.offset);
    std::vector<uint8_t> block(16, 0);
    skipped.Crypt(block.data(), block.size());
    EXPECT_EQ(block, Hex(c.bytes)) << c.offset;
  }
}

}  // namespace
}  // namespace lx

// Fuzzes the record reader with decryption: any input must be refused or read
// to its end (or to a failure code) without reading out of bounds, with the
// reader's position never beyond the bytes it was given.
//
// The first byte chooses what the rest is:
//   mode 0  a whole source (compound document or bare record stream) whose
//           FILEPASS data is the input's own; bits 2-3 choose the password;
//   mode 1  record bytes after a BOF and an RC4 FILEPASS that the password
//           "fuzz" fits, so that hostile records are decrypted;
//   mode 2  the same after an XOR FILEPASS (BIFF8 layout), key from byte 1;
//   mode 3  the same after a BIFF5 XOR FILEPASS of 4 bytes.
// Seeds: fuzz/corpus/read_stream, written by
// `tests/interop/test_read_encrypted.py --seeds DIR` (LibreOffice-protected
// files behind mode byte 0) plus small hand-made record streams.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lxStream.h"

using namespace lx;

namespace {

const char16_t* const kPasswords[] = {u"", u"fuzz", u"VelvetSweatshop", u"0123456789abcdef0123456789abcdef"};

void PutRecord(std::vector<uint8_t>& out, uint16_t number, const std::vector<uint8_t>& data) {
  const auto length = static_cast<uint16_t>(data.size());
  const uint8_t header[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                             static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
  out.insert(out.end(), header, header + 4);
  out.insert(out.end(), data.begin(), data.end());
}

std::vector<uint8_t> RC4FilePass() {
  uint8_t salt[16], verifier[32];
  for (int i = 0; i < 16; ++i) {
    salt[i] = static_cast<uint8_t>(i * 29);
    verifier[i] = static_cast<uint8_t>(i * 13 + 1);
  }
  const TDigest16 hash = TMD5Hash::Digest(verifier, 16);
  std::memcpy(verifier + 16, hash.data(), 16);
  const TDigest16 key = TXLSDecrypterRC4::BlockKey(TXLSDecrypterRC4::DeriveBaseKey(u"fuzz", salt), 0);
  TRC4 rc4;
  rc4.SetKey(key.data(), key.size());
  rc4.Crypt(verifier, 32);
  std::vector<uint8_t> data = {1, 0, 1, 0, 1, 0};
  data.insert(data.end(), salt, salt + 16);
  data.insert(data.end(), verifier, verifier + 32);
  return data;
}

std::vector<uint8_t> XorFilePass(uint16_t key, bool biff5) {
  const std::string password = "fuzz";
  const uint16_t v = TXLSDecrypterXOR::Verifier({reinterpret_cast<const uint8_t*>(password.data()), password.size()});
  std::vector<uint8_t> data = {static_cast<uint8_t>(key), static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(v),
                               static_cast<uint8_t>(v >> 8)};
  if (!biff5) data.insert(data.begin(), {0, 0});
  return data;
}

void ReadAll(TXLSReadStream& reader, uint64_t sourceSize) {
  TXLSRecordGroup group;
  int32_t result;
  while ((result = reader.ReadRecordGroup(group)) == kResultOk) {
    size_t total = 0;
    for (const TXLSRecordPiece& piece : group.Pieces()) {
      if (piece.Offset != total) __builtin_trap();
      total += piece.Length;
    }
    if (total != group.Data().size()) __builtin_trap();
    // Touch every byte handed out, so that a view past its buffer shows.
    uint8_t sum = 0;
    for (uint8_t b : group.Data()) sum = static_cast<uint8_t>(sum + b);
    if (group.Number() == kRecFilePass && reader.StartDecryption(group.Data()) != kResultOk) break;
    (void)sum;
  }
  if (!reader.IsCompound() && reader.Position() > sourceSize) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0] & 3;
  std::vector<uint8_t> bytes;
  std::u16string password = u"fuzz";
  if (mode == 0) {
    password = kPasswords[(data[0] >> 2) & 3];
    bytes.assign(data + 1, data + size);
  } else {
    PutRecord(bytes, 0x0809, {0x00, 0x06, 0x05, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0, 0, 0, 0, 0x06, 0, 0, 0});
    const uint16_t key = static_cast<uint16_t>(data[1] | (data[1] << 9));
    PutRecord(bytes, kRecFilePass, mode == 1 ? RC4FilePass() : XorFilePass(key, mode == 3));
    bytes.insert(bytes.end(), data + 2, data + size);
  }
  TMemoryStream source(bytes);
  TXLSReadStream reader(password);
  if (reader.OpenSource(source) != kResultOk) return 0;
  ReadAll(reader, bytes.size());
  reader.CloseContainer();
  return 0;
}

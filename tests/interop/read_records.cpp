// Reads the records of an XLS file through the record reader, decrypting it
// when it is protected, and prints what an interop script can compare with
// what it wrote: the result, the record count, the cells' numbers and the
// shared strings.
//
// Usage: read_records FILE [PASSWORD]
// Output lines:
//   result<TAB>code             the code that ended the read (100: the end)
//   protected<TAB>0|1           whether a FILEPASS record was accepted
//   records<TAB>n               records read (CONTINUE records joined)
//   numbers<TAB>count<TAB>sum   number cells (NUMBER, RK, MULRK) and their sum
//   labels<TAB>count            LABELSST cells
//   string<TAB>text             each shared string, in order (UTF-8)
// Exit 0 when the read reached the end of the stream, 1 otherwise.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lxRead.h"
#include "lxStream.h"
#include "lxText.h"

using namespace lx;

namespace {

constexpr uint16_t kRecNumber = 0x0203;
constexpr uint16_t kRecLabelSST = 0x00FD;
constexpr uint16_t kRecSST = 0x00FC;
constexpr uint16_t kRecRK = 0x027E;
constexpr uint16_t kRecMulRK = 0x00BD;

// An RK value: a 30-bit integer or the high 30 bits of a double, perhaps
// divided by 100.
double RKValue(const uint8_t* p) {
  return DecodeRK(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

// The strings of an SST group: each starts with its character count and an
// option byte; a string whose characters run into the next piece continues
// there after a fresh option byte.
void PrintStrings(const TXLSRecordGroup& group) {
  const std::span<const uint8_t> d = group.Data();
  const auto& pieces = group.Pieces();
  size_t piece = 0;
  const auto pieceEnd = [&](size_t p) { return p + 1 < pieces.size() ? size_t{pieces[p + 1].Offset} : d.size(); };
  size_t at = 8;
  while (at + 3 <= d.size()) {
    while (at >= pieceEnd(piece)) ++piece;
    size_t count = d[at] | (d[at + 1] << 8);
    uint8_t options = d[at + 2];
    at += 3;
    size_t runs = 0, extension = 0;
    if (options & 0x08) {
      if (at + 2 > d.size()) return;
      runs = d[at] | (d[at + 1] << 8);
      at += 2;
    }
    if (options & 0x04) {
      if (at + 4 > d.size()) return;
      extension = d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<size_t>(d[at + 3]) << 24);
      at += 4;
    }
    std::u16string text;
    while (count > 0) {
      while (at >= pieceEnd(piece) && piece + 1 < pieces.size()) {
        ++piece;
        if (at >= d.size()) return;
        options = d[at++];  // the option byte repeated at a piece start
      }
      const size_t width = (options & 1) ? 2 : 1;
      if (at + width > d.size()) return;
      text.push_back(width == 2 ? static_cast<char16_t>(d[at] | (d[at + 1] << 8)) : d[at]);
      at += width;
      --count;
    }
    at += 4 * runs + extension;
    std::printf("string\t%s\n", Utf16ToUtf8(text).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: read_records FILE [PASSWORD]\n");
    return 2;
  }
  TXLSReadStream reader(argc == 3 ? Utf8ToUtf16(argv[2]) : std::u16string());
  int32_t result = reader.OpenSource(Utf8ToUtf16(argv[1]));
  size_t records = 0, numbers = 0, labels = 0;
  double sum = 0;
  bool isProtected = false;
  TXLSRecordGroup group;
  while (result == kResultOk && (result = reader.ReadRecordGroup(group)) == kResultOk) {
    ++records;
    const std::span<const uint8_t> d = group.Data();
    switch (group.Number()) {
      case kRecFilePass:
        result = reader.StartDecryption(d);
        isProtected = result == kResultOk;
        break;
      case kRecNumber:
        if (d.size() >= 14) {
          double value;
          std::memcpy(&value, d.data() + 6, 8);
          sum += value;
          ++numbers;
        }
        break;
      case kRecRK:
        if (d.size() >= 10) {
          sum += RKValue(d.data() + 6);
          ++numbers;
        }
        break;
      case kRecMulRK:
        for (size_t at = 4; at + 6 + 2 <= d.size(); at += 6) {
          sum += RKValue(d.data() + at + 2);
          ++numbers;
        }
        break;
      case kRecLabelSST:
        ++labels;
        break;
      case kRecSST:
        PrintStrings(group);
        break;
      default:
        break;
    }
  }
  std::printf("result\t%d\nprotected\t%d\nrecords\t%zu\nnumbers\t%zu\t%.6f\nlabels\t%zu\n", result, isProtected ? 1 : 0,
              records, numbers, sum, labels);
  return result == kResultEndOfStream ? 0 : 1;
}

// Pins the exact bytes of two representative saved documents (BIFF8 and
// BIFF5, support/PinnedBook.h) by size and 64-bit FNV-1a checksum.
//
// The write path is tuned for speed: the cell store, the format cache, the
// shared strings, record assembly and the compound-file writer. None of that
// work may change a byte of the output, and the byte-exact record tests only
// cover small hand-made cases. This workbook exercises the bulk paths
// together: thousands of rows in DBCELL blocks, RK/MULRK/NUMBER/LABELSST runs,
// formatted blanks, an SST spread over CONTINUE records, formats shared by
// many cells, whole-row and whole-column formats, merges, outline, panes and
// page setup on several sheets.
//
// If an intended change alters the output, check the new file with the
// interop tests (LibreOffice, xlrd) before updating the constants.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lxHandle.h"
#include "lxStreams.h"
#include "support/PinnedBook.h"

namespace lx {
namespace {

uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0xCBF29CE484222325ULL;
  for (uint8_t b : bytes) {
    hash ^= b;
    hash *= 0x100000001B3ULL;
  }
  return hash;
}

struct TSaved {
  size_t size = 0;
  uint64_t checksum = 0;
};

TSaved Save(TXLSWorkbook& book, int32_t format) {
  TMemoryStream stream;
  EXPECT_EQ(book.SaveAs(stream, format), 1);
  return {stream.Bytes().size(), Fnv1a64(stream.Bytes())};
}

TEST(PinnedOutput, RepresentativeDocumentsKeepTheirBytes) {
  XLSPtr<TXLSWorkbook> book = test::PinnedWorkbook();
  const TSaved biff8 = Save(*book, kSaveBiff8);
  const TSaved biff5 = Save(*book, kSaveBiff5);
  std::printf("pinned: BIFF8 %zu bytes %016llx, BIFF5 %zu bytes %016llx\n", biff8.size,
              static_cast<unsigned long long>(biff8.checksum), biff5.size,
              static_cast<unsigned long long>(biff5.checksum));
  EXPECT_EQ(biff8.size, 779264u);
  EXPECT_EQ(biff8.checksum, 0xbc29dc2c4e2e5a70ULL);
  EXPECT_EQ(biff5.size, 620544u);
  EXPECT_EQ(biff5.checksum, 0x38a5c481e923c93bULL);
  // A save leaves nothing behind that changes the next one.
  const TSaved again = Save(*book, kSaveBiff8);
  EXPECT_EQ(again.size, biff8.size);
  EXPECT_EQ(again.checksum, biff8.checksum);
}

}  // namespace
}  // namespace lx

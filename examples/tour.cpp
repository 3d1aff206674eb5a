// A short tour of what the engine can do so far: keep cell texts in the shared
// string table, write them as BIFF8 SST records into a record list, and look at
// the bytes that would go into the workbook stream.
#include <cstdio>
#include <string>

#include "lxBLOB.h"
#include "lxStringTable.h"
#include "lxText.h"

int main() {
  lx::TXLSStringTable strings;
  const char* texts[] = {"Orders", "Customers", "Orders", "Заказы", "注文", "Orders"};
  for (const char* text : texts) strings.AddString(lx::Utf8ToUtf16(text));
  std::printf("texts added: %u, distinct: %u\n", strings.TotalReferences(), strings.UniqueCount());

  strings.AssignSSTIndexes();
  lx::TXLSBlobList records;
  strings.WriteSST(records, 0);
  std::printf("SST and EXTSST records: %u bytes\n", records.Total());

  const auto bytes = records.Bytes();
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::printf("%02X%s", bytes[i], (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ");
  }
  for (int32_t index = 1; index <= strings.HighestIndex(); ++index) {
    std::printf("SST position %d: %s\n", strings.GetSSTIndex(index), lx::Utf16ToUtf8(strings.GetString(index)).c_str());
  }
  return 0;
}

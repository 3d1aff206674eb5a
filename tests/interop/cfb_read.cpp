// Opens a compound file with our reader and prints what it finds, so that an
// interop script can compare it with another reader's view; then opens the
// workbook stream through the XLS container and checks its first record.
//
// Usage: cfb_read FILE
// Output: "storage<TAB>path" and "stream<TAB>path<TAB>size<TAB>fnv1a64" lines,
// then "workbook<TAB>size<TAB>first record number". Exit 0 when the file opens
// and its workbook stream starts with a BOF record, 1 otherwise.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "lxCompoundFile.h"
#include "lxOLE.h"
#include "lxText.h"

using namespace lx;

namespace {

uint64_t Fnv1a(TStream& stream) {
  uint64_t hash = 0xCBF29CE484222325ull;
  std::vector<uint8_t> buffer(65536);
  for (int64_t n; (n = stream.Read(buffer.data(), static_cast<int64_t>(buffer.size()))) > 0;) {
    for (int64_t i = 0; i < n; ++i) hash = (hash ^ buffer[static_cast<size_t>(i)]) * 0x100000001B3ull;
  }
  return hash;
}

void List(const TCompoundReadStorage& storage, const std::string& prefix) {
  for (const TCompoundElement& e : storage.EnumElements()) {
    const std::string path = prefix + Utf16ToUtf8(e.Name);
    if (e.Type == TCompoundElementType::ceStorage) {
      std::printf("storage\t%s\n", path.c_str());
      List(*storage.OpenStorage(e.Name), path + "/");
    } else {
      std::printf("stream\t%s\t%" PRIu64 "\t%016" PRIx64 "\n", path.c_str(), e.Size,
                  Fnv1a(*storage.OpenStream(e.Name)));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cfb_read FILE\n");
    return 2;
  }
  const std::u16string name = Utf8ToUtf16(argv[1]);
  TCompoundFileReader reader;
  if (!reader.OpenFile(name)) {
    std::printf("error\topen failed (%d)\n", static_cast<int>(reader.Error()));
    return 1;
  }
  List(reader.Root(), "");

  TXLSContainer container;
  if (container.OpenContainer(name, nullptr) != 1 || container.OpenWorkbookStream() != 1) {
    std::printf("error\tno workbook stream\n");
    return 1;
  }
  TStream& stream = *container.WorkbookStream();
  uint8_t header[4] = {};
  const bool read = stream.Read(header, 4) == 4;
  const unsigned record = header[0] | (header[1] << 8);
  std::printf("workbook\t%" PRId64 "\t%04x\n", stream.Size(), record);
  return read && record == 0x0809 ? 0 : 1;
}

// Fuzzes the compound-file reader and the XLS container's read side: any
// input must either be refused or give a tree whose every storage and stream
// can be enumerated, opened, sought and read, all within the input's bounds.
// Snapshots taken from an accepted file must save into a new document that
// reads back. Seeds: fuzz/corpus/compound, written by `cfb_write --seeds DIR`
// (tests/interop/cfb_write.cpp).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lxCompoundFile.h"
#include "lxOLE.h"

using namespace lx;

namespace {

void ReadEverything(const TCompoundReadStorage& root) {
  std::vector<TCompoundReadStorage> pending{root};
  uint8_t buffer[1000];
  while (!pending.empty()) {
    const TCompoundReadStorage storage = pending.back();
    pending.pop_back();
    for (const TCompoundElement& element : storage.EnumElements()) {
      if (element.Type == TCompoundElementType::ceStorage) {
        // A hostile file may give a stream and a storage the same name; the
        // first of them is found, which may be of the other kind.
        if (auto child = storage.OpenStorage(element.Name)) pending.push_back(*child);
        continue;
      }
      auto stream = storage.OpenStream(element.Name);
      if (!stream) continue;
      int64_t read = 0;
      for (int64_t n; (n = stream->Read(buffer, sizeof buffer)) > 0;) read += n;
      if (read != stream->Size()) __builtin_trap();
      stream->Seek(stream->Size() / 3, TSeekOrigin::soBeginning);
      stream->Read(buffer, 700);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCompoundFileReader reader;
  if (reader.Open(std::vector<uint8_t>(data, data + size))) ReadEverything(reader.Root());

  TMemoryStream source(std::vector<uint8_t>(data, data + size));
  TXLSContainer container;
  if (container.OpenContainer(u"", &source) != 1) return 0;
  if (container.OpenWorkbookStream() == 1) {
    uint8_t header[4];
    while (container.WorkbookStream()->Read(header, sizeof header) == sizeof header) {
    }
  }
  for (int32_t format : {kSaveBiff8, kSaveBiff5}) {
    std::unique_ptr<TXLSFileStorage> project;
    std::unique_ptr<TXLSFileStream> controls;
    container.TakeSnapshots(format, project, controls);
    TMemoryStream target;
    TXLSContainer writer;
    if (writer.CreateContainer(u"", &target) != 1) __builtin_trap();
    if (writer.WriteWorkbookStream(format, {}) != 1) __builtin_trap();
    writer.WriteCarriedContent(format, format, project.get(), controls.get());
    if (writer.FinishContainer() != 1) __builtin_trap();
    TCompoundFileReader again;
    if (!again.Open(target.Bytes())) __builtin_trap();
  }
  container.CloseContainer();
  return 0;
}

// Fuzzes the reading of HLINK and HLINKTOOLTIP payloads: the first byte
// splits the input into a hyperlink payload and a tooltip payload. Any bytes
// must either be refused or give a hyperlink whose record builds again,
// without reading or writing out of bounds. Seeds:
// fuzz/corpus/hyperlink_record.
#include <cstddef>
#include <cstdint>

#include "lxHyperlinks.h"

using namespace lx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 70000) return 0;
  const size_t split = 1 + (size - 1) * data[0] / 255;
  TXLSCustomHyperlinks links(nullptr);
  if (!links.ReadHyperlinkRecord(data + 1, static_cast<uint32_t>(split - 1))) {
    if (links.Count() != 0) __builtin_trap();
    return 0;
  }
  links.ReadHyperlinkTooltip(data + split, static_cast<uint32_t>(size - split));
  (void)TXLSCustomHyperlinks::BuildHLinkRecord(*links.Item(1));
  (void)links.BuildRecords(8224);
  return 0;
}

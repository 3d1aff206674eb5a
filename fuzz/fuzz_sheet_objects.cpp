// Fuzzes the reading of a sheet's conditional formats, validations and
// autofilter: the input is a run of records, each a kind byte, a 16-bit
// length and the payload (CONDFMT, CF, DVAL, DV, AUTOFILTERINFO, BIFF8 and
// BIFF5 AUTOFILTER by the kind byte modulo 7). Whatever was read is then cut
// and moved as cleared and inserted cells would, and written again; nothing
// may read or write out of bounds. Seeds: fuzz/corpus/sheet_objects.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lxCalculator.h"
#include "lxCondFormat.h"
#include "lxDataCheck.h"
#include "lxFilter.h"

using namespace lx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 70000) return 0;
  TXLSCalculator calculator;
  TCondFormatter formatter;
  TDataValidator validator;
  TXLSAutofilter filter;
  size_t at = 0;
  while (size - at >= 3) {
    const uint8_t kind = data[at] % 7;
    const size_t length = std::min<size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
    const std::span<const uint8_t> payload(data + at + 3, length);
    at += 3 + length;
    switch (kind) {
      case 0:
        (void)formatter.ReadRecord(kRecCondFmt, payload, calculator);
        break;
      case 1:
        (void)formatter.ReadRecord(kRecCF, payload, calculator);
        break;
      case 2:
        (void)validator.ReadRecord(kRecDVal, payload, calculator);
        break;
      case 3:
        (void)validator.ReadRecord(kRecDV, payload, calculator);
        break;
      case 4:
        filter.SetColumnCount(payload.size() >= 2 ? payload[0] | (payload[1] << 8) : 0);
        filter.SetBounds(1, 1, 1, 1);
        break;
      default:
        (void)filter.ReadAutoFilter(payload, kind == 5);
        break;
    }
  }
  std::vector<std::unique_ptr<TXLSBlob>> records;
  formatter.ShiftArea({2, -1, -1, -1}, 3, 0);
  validator.ClearArea({1, 1, 2, 2});
  (void)formatter.Write(records, calculator);
  (void)validator.Write(records, calculator);
  filter.WriteItems(records, true);
  filter.WriteItems(records, false);
  return 0;
}

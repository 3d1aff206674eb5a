// Fuzzes the formula decoder with token bytes as a file holds them: the
// first byte picks the file version and the reference mode, the rest is a
// 16-bit token length followed by the tokens and, after them, array
// constants. Any bytes must either be
// refused or give a tree that renders, re-encodes and copies without
// reading or writing out of bounds. Seeds: fuzz/corpus/formula_tokens.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lxConstants.h"
#include "lxFormula.h"

using namespace lx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 70000) return 0;
  const bool biff5 = data[0] & 1;
  TlxExternSheetSheet table;
  TXLSFormula formula(&table);
  formula.SetBiff5(biff5);
  formula.SetReferenceMode(data[0] & 2 ? 'B' : 'A');
  TXLSBlob buffer(static_cast<uint32_t>(size - 1));
  buffer.AddBytes(data + 1, static_cast<uint32_t>(size - 1));
  uint32_t offset = 0;
  auto tree = formula.DecodeFormula(buffer, offset, biff5 ? 0x0500 : 0x0600);
  if (!tree) {
    if (offset != 0) __builtin_trap();
    return 0;
  }
  if (offset > buffer.Length()) __builtin_trap();
  std::string text;
  (void)formula.FormulaText(*tree, 10, 10, text);
  TXLSBlob bytes;
  (void)formula.EncodeFormula(*tree, data[0] >> 6 > 2 ? kClassValue : data[0] >> 6, 10, 10, bytes);
  TXLSFormulatArrays arrays;
  if (DecodeArrayConstants(buffer.Data() + offset, buffer.Length() - offset, !biff5, arrays) == kResultOk) {
    (void)EncodeArrayConstants(arrays, biff5, bytes);
  } else if (!arrays.empty()) {
    __builtin_trap();
  }
  auto moved = tree->CopyWithOffset(-5, 7);
  (void)formula.FormulaText(*moved, 0, 0, text);
  return 0;
}

// Fuzzes the workbook's whole Open path: any input must be refused with a
// result code or read into the model, and a model that was read must save
// again to a memory stream without failing.
//
// The first byte chooses how the rest is opened:
//   bits 0-1  the password: none (the Open without one), "", "fuzz" or
//             "VelvetSweatshop" (the Open with one);
//   bit 2     the save after a successful open: the format the file was read
//             in, or the other one of BIFF8 and BIFF5.
// Seeds: fuzz/corpus/open, written by `tests/interop/make_open_seeds.py DIR`
// (our writer's BIFF8 and BIFF5 files, LibreOffice's plain and RC4-protected
// files and xlwt's, each behind a mode byte).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lxHandle.h"
#include "lxStreams.h"

using namespace lx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  TMemoryStream source(std::vector<uint8_t>(data + 1, data + size));
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  int32_t result;
  switch (mode & 3) {
    case 0:
      result = book->Open(source);
      break;
    case 1:
      result = book->Open(source, AnsiString());
      break;
    case 2:
      result = book->Open(source, AnsiString("fuzz"));
      break;
    default:
      result = book->Open(source, AnsiString("VelvetSweatshop"));
  }
  if (result != 1) return 0;
  int32_t format = book->LastFormat();
  if (mode & 4) format = format == kSaveBiff5 ? kSaveBiff8 : kSaveBiff5;
  TMemoryStream saved;
  if (book->SaveAs(saved, format) != 1) __builtin_trap();
  return 0;
}

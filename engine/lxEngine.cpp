// The engine as users link it: workbooks created here reach the layers above
// the model through links to their operations (lxLinks.h).
#include "lxHandle.h"
#include "lxWriteGlobals.h"

namespace lx {

namespace {

const TXLSWorkbookLinks& EngineLinks() {
  static const TXLSWorkbookLinks links = [] {
    TXLSWorkbookLinks l;
    l.save = [](TXLSWorkbook& book, const WideString& fileName, TStream* stream, int32_t format,
                TXLSSaveNotes& notes) { return SaveWorkbook(book, fileName, stream, format, &notes); };
    return l;
  }();
  return links;
}

}  // namespace

XLSPtr<TXLSWorkbook> CreateXLSWorkbook() { return XLSPtr<TXLSWorkbook>(new TXLSWorkbook(&EngineLinks())); }

XLSPtr<IXLSWorkBook> CreateWorkbook() { return CreateXLSWorkbook(); }

}  // namespace lx

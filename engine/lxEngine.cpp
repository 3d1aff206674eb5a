// The engine as users link it: workbooks created here reach the layers above
// the model through links to their operations (lxLinks.h).
#include "lxCSV.h"
#include "lxHandle.h"
#include "lxRTF.h"
#include "lxWriteGlobals.h"

namespace lx {

namespace {

// The save dispatcher: XLS files through the save driver, delimited text as
// the used range of the active sheet, RTF of the whole workbook.
int32_t SaveBook(TXLSWorkbook& book, const WideString& fileName, TStream* stream, int32_t format,
                 TXLSSaveNotes& notes) {
  if (format >= kSaveCSV && format <= kSaveTSVUnicode) {
    IXLSWorksheet* active = book.ActiveSheet();
    if (!active) return kResultFail;
    const XLSPtr<IXLSRange> used = active->UsedRange();
    return SaveRangeAsText(*used, fileName, stream, format);
  }
  if (format == kSaveRTF) return SaveWorkbookAsRTF(book, fileName, stream);
  return SaveWorkbook(book, fileName, stream, format, &notes);
}

// A range's save: RTF, or delimited text (which refuses the other codes).
int32_t SaveRange(IXLSRange& range, const WideString& fileName, TStream* stream, int32_t format) {
  if (format == kSaveRTF) return SaveRangeAsRTF(range, fileName, stream);
  return SaveRangeAsText(range, fileName, stream, format);
}

const TXLSWorkbookLinks& EngineLinks() {
  static const TXLSWorkbookLinks links = [] {
    TXLSWorkbookLinks l;
    l.save = SaveBook;
    l.saveRange = SaveRange;
    l.saveRTF = SaveWorkbookAsRTF;
    return l;
  }();
  return links;
}

}  // namespace

XLSPtr<TXLSWorkbook> CreateXLSWorkbook() { return XLSPtr<TXLSWorkbook>(new TXLSWorkbook(&EngineLinks())); }

XLSPtr<IXLSWorkBook> CreateWorkbook() { return CreateXLSWorkbook(); }

}  // namespace lx

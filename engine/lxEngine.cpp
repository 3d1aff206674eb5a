// The engine as users link it: workbooks created here reach the layers above
// the model through links to their operations (lxLinks.h).
#include "lxAutoFit.h"
#include "lxCSV.h"
#include "lxCalculator.h"
#include "lxDrawingObjects.h"
#include "lxHTML.h"
#include "lxHandle.h"
#include "lxRTF.h"
#include "lxRead.h"
#include "lxWriteGlobals.h"

namespace lx {

namespace {

// A workbook saved with code 3: the page or frameset of a file, or the page
// of the active sheet's used range for a stream, which holds one page only.
int32_t SaveBookAsHTML(TXLSWorkbook& book, const WideString& fileName, TStream* stream, TXLSSaveNotes& notes) {
  if (!stream) {
    const int32_t result = SaveWorkbookAsHTML(book, fileName);
    notes.formatRemembered = result == kResultOk;
    return result;
  }
  IXLSWorksheet* active = book.ActiveSheet();
  if (!active) return kResultFail;
  const XLSPtr<IXLSRange> used = active->UsedRange();
  return SaveRangeAsHTML(*used, fileName, stream);
}

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
  if (format == kSaveHTML) return SaveBookAsHTML(book, fileName, stream, notes);
  if (format == kSaveRTF) return SaveWorkbookAsRTF(book, fileName, stream);
  return SaveWorkbook(book, fileName, stream, format, &notes);
}

// A range's save: its page (code 3), RTF (code 4), or delimited text (which
// refuses the other codes).
int32_t SaveRange(IXLSRange& range, const WideString& fileName, TStream* stream, int32_t format) {
  if (format == kSaveHTML) return SaveRangeAsHTML(range, fileName, stream);
  if (format == kSaveRTF) return SaveRangeAsRTF(range, fileName, stream);
  return SaveRangeAsText(range, fileName, stream, format);
}

const TXLSWorkbookLinks& EngineLinks() {
  static const TXLSWorkbookLinks links = [] {
    TXLSWorkbookLinks l;
    l.save = SaveBook;
    l.saveRange = SaveRange;
    l.saveHTML = SaveWorkbookAsHTML;
    l.autoFit = AutoFitRange;
    l.saveRTF = SaveWorkbookAsRTF;
    l.open = OpenWorkbook;
    l.makeSheetObjects = [](IXLSWorksheet& sheet) -> std::unique_ptr<TXLSSheetObjects> {
      return std::make_unique<TXLSDrawingObjects>(sheet);
    };
    l.makeBookObjects = [](TXLSWorkbook& book) -> std::unique_ptr<TXLSBookObjects> {
      return std::make_unique<TXLSDrawingBookObjects>(book);
    };
    l.compileFormula = [](TXLSWorkbook& book, const AnsiString& text, int32_t sheetIdentifier) {
      return WorkbookCalculator(book).CompileFormula(text, sheetIdentifier);
    };
    l.formulaText = [](TXLSWorkbook& book, const TXLSCompiledFormula& formula, int32_t row, int32_t column) {
      return WorkbookCalculator(book).GetFormulaText(formula, row, column);
    };
    l.referenceArea = FormulaReferenceArea;
    l.evaluateFormula = [](TXLSWorkbook& book, int32_t sheetPosition, const TXLSCompiledFormula& formula,
                           TVariant& value, int32_t row, int32_t column) {
      return WorkbookCalculator(book).Calculate(formula, sheetPosition, book.Generation(), row, column, value);
    };
    l.copyFormula = [](const TXLSCompiledFormula& formula, int32_t rowOffset, int32_t columnOffset) {
      return std::shared_ptr<TXLSCompiledFormula>(formula.CopyWithOffset(rowOffset, columnOffset));
    };
    return l;
  }();
  return links;
}

}  // namespace

XLSPtr<TXLSWorkbook> CreateXLSWorkbook() { return XLSPtr<TXLSWorkbook>(new TXLSWorkbook(&EngineLinks())); }

XLSPtr<IXLSWorkBook> CreateWorkbook() { return CreateXLSWorkbook(); }

}  // namespace lx

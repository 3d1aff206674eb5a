// The reference behind a formula such as a defined name's =Sheet1!$B$2:$B$9.
#include <algorithm>

#include "lxCalculator.h"
#include "lxHandle.h"
#include "lxNames.h"

namespace lx {

bool FormulaReferenceArea(TXLSWorkbook& book, const TXLSCompiledFormula& formula, int32_t& sheetIdentifier,
                          int32_t& firstRow, int32_t& lastRow, int32_t& firstColumn, int32_t& lastColumn) {
  const TlxExternSheetSheet& externSheets = book.ExternSheets();
  const TXLSSyntaxItem* node = &formula.Tree();
  int32_t sheet = sheetIdentifier;
  for (int32_t steps = 0; node && steps <= kMaxNameChain; ++steps) {
    while (node->Kind() == kNodeParentheses && node->ChildCount() == 1) node = node->Child(0);
    const TXLSRangeItem* range = node->Range();
    const int32_t externSheet = range ? range->externSheet : 0;
    if (externSheet > 0) {
      const TlxExternSheetSheetItem* entry = externSheets.Item(externSheet);
      if (!entry || !entry->internal || entry->firstSheet != entry->lastSheet) return false;
      sheet = entry->firstSheet;
    }
    if (node->Kind() == kNodeReference) {
      if (!range || range->IsDeleted() || range->relativeForm) return false;
      if (book.PositionOfSheetIdentifier(sheet) < 1) return false;
      firstRow = std::min(range->firstRow, range->lastRow);
      lastRow = std::max(range->firstRow, range->lastRow);
      firstColumn = std::min(range->firstColumn, range->lastColumn);
      lastColumn = std::max(range->firstColumn, range->lastColumn);
      if (!range->IsArea()) {
        lastRow = firstRow = range->firstRow;
        lastColumn = firstColumn = range->firstColumn;
      }
      sheetIdentifier = sheet;
      return true;
    }
    if (node->Kind() != kNodeName) return false;
    const TXLSCustomName* name = book.NameStore().FindIdentifier(node->Value());
    if (!name || !name->Formula()) return false;
    // A sheet's own name is evaluated on its sheet.
    if (name->Store()->SheetIdentifier() > 0) sheet = name->Store()->SheetIdentifier();
    node = &name->Formula()->Tree();
  }
  return false;
}

}  // namespace lx

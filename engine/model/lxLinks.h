// The links from the workbook model to the layers built on it.
//
// The model sits below the writers, the exporters, the reader and the
// formula compiler, yet its own operations (a workbook's SaveAs, Open,
// SaveAsHTML and SaveAsRTF, a range's SaveAs and AutoFit, formula
// compilation) start their work. The model reaches them only through a
// TXLSWorkbookLinks table: lxengine's CreateWorkbook fills one with the
// operations of the layers above and gives every workbook it creates a
// pointer to it. A link left empty, or a workbook created without links,
// makes the operation report a general failure (or do nothing, where the
// operation reports nothing), so the model builds and is tested on its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "lxText.h"

namespace lx {

class TStream;
class TVariant;
class TXLSWorkbook;
class TXLSCompiledFormula;
class IXLSRange;
class IXLSWorksheet;
class TXLSSheetObjects;
class TXLSBookObjects;

// What a save tells the workbook to keep.
struct TXLSSaveNotes {
  // The format code becomes the one a later Save uses.
  bool formatRemembered = false;
  // The file name becomes the stored name (file saves whose document was
  // created).
  bool fileNameStored = false;
};

// The operations of the layers above the model that a workbook starts: CreateWorkbook installs them (lxEngine.cpp).
struct TXLSWorkbookLinks {
  // Writes the workbook in the format of a save-format code to the named
  // file, or to stream when it is not null.
  std::function<int32_t(TXLSWorkbook& book, const WideString& fileName, TStream* stream, int32_t format,
                        TXLSSaveNotes& notes)>
      save;
  // The workbook as an HTML page or frameset, and as RTF (file or stream).
  std::function<int32_t(TXLSWorkbook& book, const WideString& fileName)> saveHTML;
  // The workbook as RTF, to the named file or to stream when it is not null.
  std::function<int32_t(TXLSWorkbook& book, const WideString& fileName, TStream* stream)> saveRTF;
  // Replaces the workbook's content with a file's or a stream's; password is
  // null when none was given.
  std::function<int32_t(TXLSWorkbook& book, const WideString& fileName, TStream* stream, const AnsiString* password)>
      open;
  // A formula text compiled for a sheet; null when it does not compile.
  std::function<std::shared_ptr<TXLSCompiledFormula>(TXLSWorkbook& book, const AnsiString& text,
                                                     int32_t sheetIdentifier)>
      compileFormula;
  // "=" and the text of a compiled formula for the cell (row, column), both
  // 0-based; empty when it has none.
  std::function<AnsiString(TXLSWorkbook& book, const TXLSCompiledFormula& formula, int32_t row, int32_t column)>
      formulaText;
  // The value of a compiled formula for the cell (row, column) on the sheet
  // at a 1-based position, cached under the workbook's current evaluation
  // generation: the calculator's status (1 success) and the value.
  std::function<int32_t(TXLSWorkbook& book, int32_t sheetPosition, const TXLSCompiledFormula& formula, TVariant& value,
                        int32_t row, int32_t column)>
      evaluateFormula;
  // A copy of a compiled formula whose relative references move by the
  // offsets, as when its cell is copied that far.
  std::function<std::shared_ptr<TXLSCompiledFormula>(const TXLSCompiledFormula& formula, int32_t rowOffset,
                                                     int32_t columnOffset)>
      copyFormula;
  // The one reference a formula evaluated on sheetIdentifier stands for,
  // directly or through defined names: its sheet (sheetIdentifier is
  // replaced) and its 0-based rectangle. False when the formula is anything
  // else.
  std::function<bool(TXLSWorkbook& book, const TXLSCompiledFormula& formula, int32_t& sheetIdentifier,
                     int32_t& firstRow, int32_t& lastRow, int32_t& firstColumn, int32_t& lastColumn)>
      referenceArea;
  // Fits the widths of the range's columns (columns true) or the heights of
  // its rows.
  std::function<void(IXLSRange& range, bool columns)> autoFit;
  // Writes the range's cells in the format of a save-format code to the named
  // file, or to stream when it is not null.
  std::function<int32_t(IXLSRange& range, const WideString& fileName, TStream* stream, int32_t format)> saveRange;
  // New, empty objects (shapes, comments, rules...) of a sheet and of a
  // workbook (lxSheetObjects.h).
  std::function<std::unique_ptr<TXLSSheetObjects>(IXLSWorksheet& sheet)> makeSheetObjects;
  std::function<std::unique_ptr<TXLSBookObjects>(TXLSWorkbook& book)> makeBookObjects;
};

}  // namespace lx

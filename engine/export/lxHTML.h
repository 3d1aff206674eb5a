// HTML pages of a workbook, a worksheet or a range.
//
// TXLSHTMLExport writes one HTML table per page, every cell carrying one CSS
// class per distinct appearance (font, alignment, fill, wrapping, borders);
// the cell texts come from the value formatter (lxMasks.h) in its HTML mode.
// A workbook with one worksheet becomes one page; with several it becomes a
// frameset: the named file holds a frame for a sheet page and a frame for a
// tab strip, and the pages go into the folder "<base name>.files" beside it
// (tabstrip.htm, Sheet001.htm, Sheet002.htm, ...).
//
// Pages are 8-bit text in code page 1252 and say so in a meta element; a
// character the code page lacks is written as a numeric character reference,
// so no text is lost. Every text that enters markup (cell texts, sheet names,
// file names) is escaped, and font names are escaped for CSS.
//
// Hidden rows and columns are left out of a page; a merged area spans the
// rows and columns of it that are shown and inside the exported range.
//
// Files are written through a temporary file that replaces the target only
// when complete (TSaveFile), so a failed export leaves the caller's file as
// it was; a frameset that fails removes the pages and the folder it created.
// A workbook's SaveAsHTML and SaveAs with code 3, and a range's SaveAs with
// code 3 (file or stream), come here through the engine's links.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lxHandle.h"
#include "lxMasks.h"
#include "lxStreams.h"

namespace lx {

class TXLSRange;

class TXLSHTMLExport {
 public:
  TXLSHTMLExport() = default;

  // One page, or a frameset with its folder for several worksheets; nothing
  // for a workbook without worksheets. 1, or -1 when a file or the folder
  // cannot be written.
  [[nodiscard]] int32_t ExportWorkbook(TXLSWorkbook& book, const std::u16string& fileName);
  // One page for the worksheet's used range (A1 for an empty sheet).
  [[nodiscard]] int32_t ExportSheet(IXLSWorksheet& sheet, const std::u16string& fileName);
  // One page for the range.
  [[nodiscard]] int32_t ExportRange(IXLSRange& range, const std::u16string& fileName);
  // One page for the range at the stream's position; -1 when the stream
  // takes fewer bytes than given.
  [[nodiscard]] int32_t WriteRange(IXLSRange& range, TStream& stream);

 private:
  // What the page needs of one cell format, worked out once per format.
  struct TFormatInfo {
    std::u16string numberFormat;
    bool isDate = false;
    bool plainFormat = false;  // empty, "@" or "General": texts show as they are
    bool generalAlignment = false;
    bool ruleWritten = false;
  };
  TFormatInfo& FormatInfo(int32_t format);
  // Adds the class rule of a key to the style list; corner cells are
  // 0-based sheet positions of the appearance cell and, for a merged area
  // with its own right and bottom formats, of its top-right and bottom-left
  // cells.
  void AddRule(IXLSWorksheet& sheet, std::string_view key, int32_t row, int32_t column, int32_t keyFormat,
               int32_t rightFormat, int32_t rightRow, int32_t rightColumn, int32_t bottomFormat, int32_t bottomRow,
               int32_t bottomColumn);
  [[nodiscard]] int32_t SavePage(TXLSRange& range, const std::u16string& fileName);
  // The page of a range to a stream; false when the stream refuses bytes.
  [[nodiscard]] bool WritePage(TXLSRange& range, TStream& stream);

  static constexpr size_t kFormatSlots = size_t{1} << 16;
  static constexpr size_t kFlushBytes = size_t{1} << 18;

  TXLSFormater formater_;
  TlxFormatList* formats_ = nullptr;  // not owned; set while a page is built
  std::unordered_map<int32_t, TFormatInfo> formatInfo_;
  std::vector<TFormatInfo*> formatSlots_;  // into formatInfo_, by format index
  std::unordered_set<std::string> keys_;
  std::string styles_;
  std::string body_;
  std::u16string text_;
};

// The links of the engine: a workbook as HTML, and a range's page to a file
// or, when stream is not null, to the stream.
[[nodiscard]] int32_t SaveWorkbookAsHTML(TXLSWorkbook& book, const std::u16string& fileName);
[[nodiscard]] int32_t SaveRangeAsHTML(IXLSRange& range, const std::u16string& fileName, TStream* stream);

// Wide text appended to 8-bit HTML in code page 1252; a character the code
// page lacks becomes a numeric character reference (&#1046;).
void AppendHTMLText(std::u16string_view text, std::string& out);

}  // namespace lx

// RTF: a workbook, a worksheet or a range as one RTF document of tables.
//
// TXLSRTFExport writes each worksheet's used range (or one range) as RTF
// table rows: a row definition (\trowd, each cell's vertical alignment,
// borders, shading and right boundary \cellx) followed by the row's content
// (each cell's font, size, style, colour, alignment and text). Sheets are
// separated by a page break. The document header carries the font table,
// the colour table and the page size and margins of the sheet written last.
// When a sheet's page setup asks to fit one page wide, widths, heights, font
// sizes and indents are scaled down so that the columns fit the printable
// width. Merged areas become cells spanning their columns, and vertically
// merged cells (\clvmgf, \clvmrg) across their rows.
//
// TXLSRTFStyles collects the fonts and colours of one document, each
// numbered in order of first use, and spells the formatting control words.
// Cell texts come from the value formatter (lxMasks.h) in plain mode and
// are written in the system code page (1252); a character that page lacks
// is written as a Unicode escape (\uN followed by "?" for readers without
// Unicode, declared by \uc1 in the header), so no text is lost.
//
// The workbook's SaveAsRTF and SaveAs with code 4, and a range's SaveAs
// with code 4, come here through the links of lxengine. A file is written
// through a temporary file that replaces the target only when complete, so
// a failed export leaves the old file whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lxHandle.h"
#include "lxMasks.h"
#include "lxStreams.h"

namespace lx {

class TXLSRange;

// The fonts and colours of one document, and the control words that name
// them.
class TXLSRTFStyles {
 public:
  // The colour's number in the colour table (from 1; 0 is the automatic
  // colour), given at its first use. Colours are 0x00BBGGRR.
  int32_t ColorNumber(uint32_t color);
  // The font's number in the font table (from 1), given at its first use;
  // names that differ only in case share the spelling seen first.
  int32_t FontNumber(const std::u16string& name);
  int32_t ColorCount() const { return static_cast<int32_t>(colors_.size()); }
  int32_t FontCount() const { return static_cast<int32_t>(fonts_.size()); }

  // "{\fonttbl ...}" and "{\colortbl ;...}" with their line ends; nothing
  // when no font or colour was used.
  void AppendFontTable(std::string& out) const;
  void AppendColorTable(std::string& out) const;

  // The cell definition of a single-cell range: vertical alignment, the
  // borders of format `format` with the edge colours the cell's borders
  // read, and shading.
  void AppendCellDefinition(TXLSRange& cell, int32_t format, std::string& out);
  // The cell's character and paragraph format: font, size, style, colour,
  // underline, alignment (a general alignment by the value: right for
  // numbers, currency and booleans, else left) and top spacing.
  void AppendCharFormat(TXLSRange& cell, bool numeric, std::string& out);

  // The worksheet being written (not owned) and the scale of the range
  // being written.
  IXLSWorksheet* Sheet = nullptr;
  double Scale = 1.0;

 private:
  std::vector<uint32_t> colors_;
  std::unordered_map<uint32_t, int32_t> colorNumbers_;
  std::vector<std::u16string> fonts_;
  std::unordered_map<std::u16string, int32_t> fontNumbers_;
};

class TXLSRTFExport {
 public:
  TXLSRTFExport() = default;

  // The whole workbook, every worksheet in order, as one document: to a new
  // file (replacing an existing one only when complete) or at a stream's
  // position. 1, or -1 when the file cannot be written or the stream takes
  // fewer bytes than given.
  [[nodiscard]] int32_t ExportWorkbook(TXLSWorkbook& book, const std::u16string& fileName);
  [[nodiscard]] int32_t WriteWorkbook(TXLSWorkbook& book, TStream& stream);
  // The used range of one worksheet.
  [[nodiscard]] int32_t ExportSheet(IXLSWorksheet& sheet, const std::u16string& fileName);
  [[nodiscard]] int32_t WriteSheet(IXLSWorksheet& sheet, TStream& stream);
  // One range, widened to the merged areas it touches (the caller's range
  // object is left as it is).
  [[nodiscard]] int32_t ExportRange(IXLSRange& range, const std::u16string& fileName);
  [[nodiscard]] int32_t WriteRange(IXLSRange& range, TStream& stream);

  // Text as RTF: backslash and braces escaped, line breaks (CR LF, LF, CR)
  // as \line, tabs as \tab, other characters in the system code page or as
  // Unicode escapes.
  static void AppendText(std::u16string_view text, std::string& out);

 private:
  // What the rows of a range need to know about one cell format, worked out
  // at the first cell that has it.
  struct TFormatEntry {
    bool known = false;
    bool isDate = false;
    std::u16string numberFormat;
    // Definition and character formats, each filled at its first use so
    // that fonts and colours are numbered in the order the document uses
    // them. A format with borders has its definition spelled per cell: the
    // edge colours depend on the neighbours.
    bool definitionKnown = false;
    bool hasBorders = false;
    std::string definition;
    bool charKnown = false;
    std::string charNumeric;
    std::string charOther;
  };

  // One document in two passes over the same rows. The first only numbers
  // the fonts and colours, in the order the rows use them, so that the
  // header, which must come first, can name them all; the second writes the
  // rows through a buffer flushed to the stream as it fills, so a document
  // of any size costs only the buffer's memory.
  using TBodyWriter = std::function<void()>;
  [[nodiscard]] int32_t WriteDocument(TStream& stream, const TBodyWriter& writeBody);
  [[nodiscard]] int32_t SaveFile(const std::u16string& fileName, const std::function<int32_t(TStream&)>& write);
  void AddSheetRows(IXLSWorksheet& sheet);
  // The rows of a range already widened to its merged areas.
  void AddRows(TXLSRange& range);
  // Output of the writing pass; nothing in the numbering pass.
  void Emit(std::string_view text);
  void Flush();
  TFormatEntry& Entry(int32_t format);
  void AppendPageInformation(std::string& out) const;

  TXLSFormater formater_;
  // During one document.
  TXLSRTFStyles* styles_ = nullptr;
  bool numbering_ = false;
  TStream* stream_ = nullptr;  // not owned
  bool failed_ = false;
  std::string out_;
  IXLSWorksheet* lastSheet_ = nullptr;
  // During one range.
  std::vector<TFormatEntry> entries_;
  std::string definition_;
  std::string content_;
  std::string scratch_;
  std::u16string text_;
};

// The workbook as RTF to the stream when it is not null, else to the named
// file (SaveAsRTF, and SaveAs with code 4).
[[nodiscard]] int32_t SaveWorkbookAsRTF(TXLSWorkbook& book, const std::u16string& fileName, TStream* stream);
// A range as RTF, the same way (a range's SaveAs with code 4).
[[nodiscard]] int32_t SaveRangeAsRTF(IXLSRange& range, const std::u16string& fileName, TStream* stream);

}  // namespace lx

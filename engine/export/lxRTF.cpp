#include "lxRTF.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "lxCodePage.h"
#include "lxRange.h"
#include "lxStringTable.h"
#include "lxStyle.h"

namespace lx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// The header's first line ends in LF CR, as RTF writers of the spreadsheet
// world always wrote it; readers skip both bytes.
constexpr std::string_view kDocumentStart = "{\\rtf1\\ansi\\uc1\n\r";
constexpr std::string_view kPageBreak = "\\pard \\page \\par\r\n";
// Left edge of the first cell, and the table's left indent, in twips.
constexpr int32_t kRowLeft = 36;
// The writing pass hands the stream pieces of about this size.
constexpr size_t kFlushSize = size_t{1} << 16;
constexpr double kTwipsPerInch = 1440;

int32_t Round(double value) { return static_cast<int32_t>(std::nearbyint(value)); }

void AppendInt(std::string& out, int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// Width of a column of w characters (already scaled) in twips, through the
// pixels a 7-pixel digit gives at 96 dpi.
int32_t ColumnTwips(double w) {
  const double pixels = w >= 1 ? std::nearbyint(w * 7) + 5 : std::nearbyint(w * 100 / 8);
  return Round(pixels * 1440 / 96);
}

struct TPaper {
  int32_t width;
  int32_t height;
};

// Paper size codes to portrait width and height in twips; width 0 for a
// code without a known size.
TPaper PaperTwips(int32_t code) {
  switch (code) {
    case 1:
    case 2:
    case 18:
      return {12242, 15842};
    case 3:
    case 17:
      return {15842, 24482};
    case 4:
      return {24482, 15842};
    case 5:
      return {12242, 20162};
    case 6:
      return {7922, 12242};
    case 7:
      return {10802, 15122};
    case 8:
      return {16840, 23813};
    case 9:
    case 10:
      return {11908, 16840};
    case 11:
    case 13:
      return {8393, 11908};
    case 12:
      return {14175, 20071};
    case 14:
    case 40:
    case 41:
      return {12242, 18722};
    case 15:
      return {12191, 15593};
    case 16:
      return {14402, 20162};
    case 19:
      return {5582, 12782};
    case 20:
      return {5942, 13682};
    case 21:
      return {6482, 14942};
    case 22:
      return {6482, 15842};
    case 23:
      return {7202, 16562};
    case 27:
      return {6238, 12474};
    case 28:
      return {9186, 12985};
    case 29:
      return {18371, 25967};
    case 30:
      return {12985, 18371};
    case 31:
      return {6465, 9186};
    case 32:
      return {6465, 12985};
    case 33:
      return {14175, 20015};
    case 34:
      return {9980, 14175};
    case 35:
      return {9980, 7089};
    case 36:
      return {6238, 13041};
    case 37:
      return {5582, 10802};
    case 38:
      return {5222, 9362};
    case 39:
      return {21422, 15842};
    default:
      return {0, 0};
  }
}

// The border control words of a line style and weight; empty where RTF has
// no matching line (the colour follows on its own).
std::string_view BorderWord(int32_t style, int32_t weight) {
  const int width = weight == xlThin ? 1 : weight == xlMedium ? 2 : weight == xlThick ? 3 : 0;
  switch (style) {
    case xlContinuous:
      if (weight == xlHairline) return "\\brdrhair";
      return std::array<std::string_view, 4>{"", "\\brdrs\\brdrw20", "\\brdrs\\brdrw40", "\\brdrs\\brdrw60"}[width];
    case xlDashDot:
      return std::array<std::string_view, 4>{"", "\\brdrdashd\\brdrw20", "\\brdrdashd\\brdrw40",
                                             "\\brdrdashd\\brdrw60"}[width];
    case xlDashDotDot:
      return std::array<std::string_view, 4>{"", "\\brdrdashdd\\brdrw20", "\\brdrdashdd\\brdrw40",
                                             "\\brdrdashdd\\brdrw60"}[width];
    case xlSlantDashDot:
      return std::array<std::string_view, 4>{"", "\\brdrdashdotstr\\brdrw20", "\\brdrdashdotstr\\brdrw40",
                                             "\\brdrdashdotstr\\brdrw60"}[width];
    case xlDouble:
      return weight == xlThick ? "\\brdrdb\\brdrw20" : "";
    case xlDot:
      return std::array<std::string_view, 4>{"", "\\brdrdot\\brdrw20", "\\brdrdot\\brdrw40",
                                             "\\brdrdot\\brdrw60"}[width];
    case xlDash:
      return std::array<std::string_view, 4>{"", "\\brdrdashsm\\brdrw20", "\\brdrdashsm\\brdrw40",
                                             "\\brdrdashsm\\brdrw60"}[width];
    default:
      return "";
  }
}

// The edges of a cell definition in the order they are written: the
// control word, the range's edge and the format list's edge.
struct TEdge {
  std::string_view word;
  int32_t edge;
  int32_t formatEdge;
};
constexpr TEdge kEdges[] = {{"\\clbrdrt ", xlEdgeTop, kXFEdgeTop},
                            {"\\clbrdrr ", xlEdgeRight, kXFEdgeRight},
                            {"\\clbrdrl ", xlEdgeLeft, kXFEdgeLeft},
                            {"\\clbrdrb ", xlEdgeBottom, kXFEdgeBottom}};

bool HasBorders(const TlxFormatList& formats, int32_t format) {
  for (const TEdge& edge : kEdges)
    if (formats.GetXFBorderLineStyle(format, edge.formatEdge) != xlNone) return true;
  return false;
}

// The upper-case form of a font name, for matching names that differ in
// case (ASCII and Latin-1 letters).
std::u16string UpperName(const std::u16string& name) {
  std::u16string upper = name;
  for (char16_t& c : upper)
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<char16_t>(c - 0x20);
  return upper;
}

}  // namespace

// ---------------------------------------------------------------- styles

int32_t TXLSRTFStyles::ColorNumber(uint32_t color) {
  const auto [at, added] = colorNumbers_.try_emplace(color, ColorCount() + 1);
  if (added) colors_.push_back(color);
  return at->second;
}

int32_t TXLSRTFStyles::FontNumber(const std::u16string& name) {
  const auto [at, added] = fontNumbers_.try_emplace(UpperName(name), FontCount() + 1);
  if (added) fonts_.push_back(name);
  return at->second;
}

void TXLSRTFStyles::AppendFontTable(std::string& out) const {
  if (fonts_.empty()) return;
  out += "{\\fonttbl ";
  for (size_t k = 0; k < fonts_.size(); ++k) {
    out += "{\\f";
    AppendInt(out, static_cast<int64_t>(k + 1));
    out += " \\fnil ";
    TXLSRTFExport::AppendText(fonts_[k], out);
    out += ";}";
    out += kLineEnd;
  }
  out += "}";
  out += kLineEnd;
}

void TXLSRTFStyles::AppendColorTable(std::string& out) const {
  if (colors_.empty()) return;
  out += "{\\colortbl ;";
  for (const uint32_t color : colors_) {
    out += "\\red";
    AppendInt(out, color & 0xFF);
    out += "\\green";
    AppendInt(out, (color >> 8) & 0xFF);
    out += "\\blue";
    AppendInt(out, (color >> 16) & 0xFF);
    out += ";";
  }
  out += "}";
  out += kLineEnd;
}

void TXLSRTFStyles::AppendCellDefinition(TXLSRange& cell, int32_t format, std::string& out) {
  switch (cell.VerticalAlignment()) {
    case xlVAlignTop:
      out += "\\clvertalt";
      break;
    case xlVAlignCenter:
      out += "\\clvertalc";
      break;
    default:
      out += "\\clvertalb";
  }
  const TlxFormatList& formats = cell.Formats();
  XLSPtr<IXLSBorders> borders;
  for (const TEdge& edge : kEdges) {
    const int32_t style = formats.GetXFBorderLineStyle(format, edge.formatEdge);
    if (style == xlNone) continue;
    if (!borders) borders = cell.Borders();
    out += edge.word;
    out += BorderWord(style, formats.GetXFBorderWeight(format, edge.formatEdge));
    out += "\\brdrcf";
    AppendInt(out, ColorNumber(borders->Item(edge.edge)->Color()));
    out += " ";
  }
  const XLSPtr<IXLSInterior> interior = cell.Interior();
  if (interior->Pattern() != xlNone) {
    out += "\\clcbpat";
    AppendInt(out, ColorNumber(interior->Color()));
  }
}

void TXLSRTFStyles::AppendCharFormat(TXLSRange& cell, bool numeric, std::string& out) {
  out += "\\f";
  AppendInt(out, FontNumber(cell.FontName()));
  out += "\\fs";
  AppendInt(out, Round(cell.FontSize() * 2 * Scale));
  if (cell.FontItalic()) out += "\\i";
  if (cell.FontBold()) out += "\\b";
  if (cell.FontStrikethrough()) out += "\\strike";
  const int32_t colorIndex = cell.FontColorIndex();
  if (colorIndex != xlAutomatic && colorIndex != xlNone) {
    out += "\\cf";
    AppendInt(out, ColorNumber(cell.FontColor()));
  }
  switch (cell.FontUnderline()) {
    case xlUnderlineStyleDouble:
    case xlUnderlineStyleDoubleAccounting:
      out += "\\uldb";
      break;
    case xlUnderlineStyleSingle:
      out += "\\ul";
      break;
    case xlUnderlineStyleSingleAccounting:
      out += "\\uld";
      break;
    default:
      break;
  }
  const int32_t indent = Round(30 * Scale);
  switch (cell.HorizontalAlignment()) {
    case xlHAlignRight:
      out += "\\qr\\ri";
      AppendInt(out, indent);
      break;
    case xlHAlignLeft:
      out += "\\ql\\li";
      AppendInt(out, indent);
      break;
    case xlHAlignJustify:
      out += "\\qj";
      break;
    case xlHAlignCenter:
      out += "\\qc";
      break;
    default:
      out += numeric ? "\\qr\\ri" : "\\li";
      AppendInt(out, indent);
  }
  if (cell.VerticalAlignment() == xlVAlignTop) {
    out += "\\sb";
    AppendInt(out, Round(25 * Scale));
  }
}

// ---------------------------------------------------------------- text

void TXLSRTFExport::AppendText(std::u16string_view text, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    switch (c) {
      case u'\\':
        out += "\\\\";
        continue;
      case u'{':
        out += "\\{";
        continue;
      case u'}':
        out += "\\}";
        continue;
      case u'\r':
        if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        out += "\\line ";
        continue;
      case u'\n':
        out += "\\line ";
        continue;
      case u'\t':
        out += "\\tab ";
        continue;
      default:
        break;
    }
    const int byte = SystemCodePageByte(c);
    if (byte >= 0) {
      out += static_cast<char>(byte);
      continue;
    }
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      // A character beyond the first plane: both halves, each as its own
      // escape, as RTF readers join them.
      for (const char16_t half : {c, text[i + 1]}) {
        out += "\\u";
        AppendInt(out, static_cast<int16_t>(half));
        out += '?';
      }
      ++i;
    } else if (high || low) {
      // Half of a character: nothing to spell, as in the code page.
      out += '?';
    } else {
      out += "\\u";
      AppendInt(out, static_cast<int16_t>(c));
      out += '?';
    }
  }
}

// ---------------------------------------------------------------- rows

TXLSRTFExport::TFormatEntry& TXLSRTFExport::Entry(int32_t format) {
  const size_t at = static_cast<size_t>(format);
  if (at >= entries_.size()) entries_.resize(at + 1);
  TFormatEntry& entry = entries_[at];
  if (!entry.known) {
    const TlxFormatList& formats = styles_->Sheet->Workbook()->Formats();
    entry.known = true;
    entry.isDate = formats.IsXFDateFormat(format);
    entry.numberFormat = formats.GetXFNumberFormatText(format);
    entry.hasBorders = HasBorders(formats, format);
  }
  return entry;
}

void TXLSRTFExport::AddRows(TXLSRange& range) {
  IXLSWorksheet& sheet = *range.Worksheet();
  const TXLSCellHeap& cells = sheet.CellHeap();
  const TXLSRowInfoList& rows = sheet.RowInfo();
  const TXLSColumnInfoList& columns = sheet.ColumnInfo();
  const TXLSStringTable& strings = sheet.Workbook()->StringTable();
  const int32_t top = range.FirstRow();
  const int32_t bottom = range.LastRow();
  const int32_t left = range.FirstColumn();
  const int32_t right = range.LastColumn();

  styles_->Sheet = &sheet;
  styles_->Scale = 1.0;
  lastSheet_ = &sheet;
  entries_.clear();

  // Fit one page wide: scale everything down to the printable width, unless
  // that would make it unreadably small.
  const TXLSPageSetup& setup = sheet.PageSetup();
  const TVariant zoom = setup.Zoom();
  const TVariant wide = setup.FitToPagesWide();
  if (zoom.VarType() == varBoolean && !zoom.ToBool() && wide.IsNumeric() && wide.ToDouble() == 1) {
    const TPaper paper = PaperTwips(setup.PaperSize());
    int32_t printable = -1;
    if (paper.width > 0) {
      printable = (setup.Orientation() == kOrientationLandscape ? paper.height : paper.width) -
                  Round(setup.LeftMargin() * kTwipsPerInch) - Round(setup.RightMargin() * kTwipsPerInch);
    }
    double characters = 0;
    for (int32_t c = left; c <= right; ++c) characters += columns.ColumnWidth(c);
    const int32_t total = ColumnTwips(characters);
    if (printable > 0 && printable < total) {
      styles_->Scale = static_cast<double>(printable) / total;
      if (styles_->Scale < 0.3) styles_->Scale = 1.0;
    }
  }
  const double scale = styles_->Scale;

  // The right boundary of every column's cells.
  std::vector<int32_t> boundaries;
  boundaries.reserve(static_cast<size_t>(right - left + 1));
  int32_t x = kRowLeft;
  for (int32_t c = left; c <= right; ++c) {
    x += ColumnTwips(columns.ColumnWidth(c) * scale);
    boundaries.push_back(x);
  }

  std::string& definition = definition_;
  std::string& content = content_;
  TVariant value;
  for (int32_t r = top; r <= bottom; ++r) {
    const TXLSRowInfo* rowInfo = rows.Find(r);
    definition.assign("\\trowd\\trql\\trleft36");
    content.clear();
    if (rowInfo && rowInfo->CustomHeight) {
      definition += "\\trrh";
      AppendInt(definition, -Round(rows.RowHeight(r) * scale * 19.5));
    }
    for (int32_t c = left; c <= right; ++c) {
      definition += kLineEnd;
      const TXLSCellRef* cell = cells.FindCell(r, c);
      const int32_t format = cell ? std::max(cell->FormatIndex, 0) : sheet.FormatWithoutCell(rowInfo, c);
      bool skipped = false;
      bool vertical = false;
      bool boundary = true;
      int32_t areaTop, areaLeft, areaBottom, areaRight;
      if (cell && cell->Merged && cells.MergedAreaOf(cell, areaTop, areaLeft, areaBottom, areaRight)) {
        if (areaBottom > areaTop && c == areaLeft) {
          vertical = true;
          definition += r == areaTop ? "\\clvmgf" : "\\clvmrg";
        }
        skipped = r != areaTop || c != areaLeft;
        boundary = c == areaRight;
      }
      // The cell as a range, made only when a format is first met or a
      // cell has borders.
      XLSPtr<IXLSRange> single;
      auto asRange = [&]() -> TXLSRange& {
        if (!single) single = TXLSRange::Create(&sheet, r, c, r, c);
        return *TXLSRange::From(single.Get());
      };
      if (!skipped) {
        TFormatEntry& entry = Entry(format);
        if (entry.hasBorders) {
          // Spelled in the numbering pass too: its edge colours are numbered
          // where the cell stands.
          styles_->AppendCellDefinition(asRange(), format, numbering_ ? scratch_ : definition);
          scratch_.clear();
        } else {
          if (!entry.definitionKnown) {
            styles_->AppendCellDefinition(asRange(), format, entry.definition);
            entry.definitionKnown = true;
          }
          if (!numbering_) definition += entry.definition;
        }
      }
      if (skipped && !vertical) {
        if (boundary && !numbering_) {
          definition += "\\cellx";
          AppendInt(definition, boundaries[static_cast<size_t>(c - left)]);
        }
        continue;
      }
      TFormatEntry& entry = Entry(format);
      if (!entry.charKnown) {
        styles_->AppendCharFormat(asRange(), true, entry.charNumeric);
        styles_->AppendCharFormat(asRange(), false, entry.charOther);
        entry.charKnown = true;
      }
      if (numbering_) continue;
      if (boundary) {
        definition += "\\cellx";
        AppendInt(definition, boundaries[static_cast<size_t>(c - left)]);
      }

      bool numeric = false;
      std::u16string_view text;
      if (!skipped && cell) {
        if (cell->Kind == ckString) {
          text = strings.GetString(cell->StringIndex);
        } else {
          if (sheet.GetCellValue(cell, value) != kResultOk) value = TVariant::Null();
          // A number under a date format reads as a date, as Value gives it.
          if (value.VarType() == varDouble && entry.isDate) NumberToDateValue(value);
          text_.clear();
          formater_.AppendValue(value, entry.numberFormat, false, text_);
          text = text_;
          numeric = value.IsNumeric() || value.VarType() == varBoolean;
        }
      }
      content += "\\pard\\intbl\\plain\r\n";
      const std::string& charFormat = numeric ? entry.charNumeric : entry.charOther;
      if (!charFormat.empty()) {
        content += charFormat;
        content += kLineEnd;
      }
      AppendText(text, content);
      content += "\\cell\r\n";
    }
    if (numbering_) continue;
    content += "\\row\r\n";
    Emit(definition);
    Emit(kLineEnd);
    Emit(content);
    Emit(kLineEnd);
  }
}

void TXLSRTFExport::AddSheetRows(IXLSWorksheet& sheet) {
  const XLSPtr<IXLSRange> used = sheet.UsedRange();
  TXLSRange& range = *TXLSRange::From(used.Get());
  range.ExpandToMergedAreas();
  AddRows(range);
}

// ---------------------------------------------------------------- document

void TXLSRTFExport::AppendPageInformation(std::string& out) const {
  if (!lastSheet_) return;
  const TXLSPageSetup& setup = lastSheet_->PageSetup();
  const size_t start = out.size();
  const bool landscape = setup.Orientation() == kOrientationLandscape;
  const TPaper paper = PaperTwips(setup.PaperSize());
  if (paper.width > 0) {
    out += "\\paperw";
    AppendInt(out, landscape ? paper.height : paper.width);
    out += "\\paperh";
    AppendInt(out, landscape ? paper.width : paper.height);
  }
  const std::pair<std::string_view, double> margins[] = {{"\\margl", setup.LeftMargin()},
                                                         {"\\margr", setup.RightMargin()},
                                                         {"\\margt", setup.TopMargin()},
                                                         {"\\margb", setup.BottomMargin()}};
  for (const auto& [word, inches] : margins) {
    if (!(inches > 0)) continue;
    out += word;
    AppendInt(out, Round(inches * kTwipsPerInch));
  }
  if (landscape) out += "\\landscape";
  if (out.size() > start) out += kLineEnd;
}

void TXLSRTFExport::Emit(std::string_view text) {
  if (numbering_) return;
  out_ += text;
  if (out_.size() >= kFlushSize) Flush();
}

void TXLSRTFExport::Flush() {
  if (!failed_ && !out_.empty() && !stream_->WriteAll(out_.data(), static_cast<int64_t>(out_.size()))) failed_ = true;
  out_.clear();
}

int32_t TXLSRTFExport::WriteDocument(TStream& stream, const TBodyWriter& writeBody) {
  TXLSRTFStyles styles;
  styles_ = &styles;
  stream_ = &stream;
  failed_ = false;
  lastSheet_ = nullptr;
  numbering_ = true;
  writeBody();
  numbering_ = false;

  out_.reserve(kFlushSize + kFlushSize / 2);
  out_.assign(kDocumentStart);
  styles.AppendFontTable(out_);
  styles.AppendColorTable(out_);
  AppendPageInformation(out_);
  writeBody();
  out_ += "}";
  Flush();
  styles_ = nullptr;
  stream_ = nullptr;
  lastSheet_ = nullptr;
  entries_.clear();
  return failed_ ? kResultFail : kResultOk;
}

int32_t TXLSRTFExport::SaveFile(const std::u16string& fileName, const std::function<int32_t(TStream&)>& write) {
  TSaveFile file;
  if (!file.Open(fileName)) return kResultFail;
  if (write(file.Stream()) != kResultOk) return kResultFail;  // the old file stays
  return file.Commit() ? kResultOk : kResultFail;
}

int32_t TXLSRTFExport::WriteWorkbook(TXLSWorkbook& book, TStream& stream) {
  return WriteDocument(stream, [&] {
    IXLSWorkSheets& sheets = *book.Worksheets();
    const int32_t count = sheets.Count();
    for (int32_t i = 1; i <= count; ++i) {
      AddSheetRows(*sheets.Item(i));
      if (i < count) Emit(kPageBreak);
    }
  });
}

int32_t TXLSRTFExport::ExportWorkbook(TXLSWorkbook& book, const std::u16string& fileName) {
  return SaveFile(fileName, [&](TStream& stream) { return WriteWorkbook(book, stream); });
}

int32_t TXLSRTFExport::WriteSheet(IXLSWorksheet& sheet, TStream& stream) {
  return WriteDocument(stream, [&] { AddSheetRows(sheet); });
}

int32_t TXLSRTFExport::ExportSheet(IXLSWorksheet& sheet, const std::u16string& fileName) {
  return SaveFile(fileName, [&](TStream& stream) { return WriteSheet(sheet, stream); });
}

int32_t TXLSRTFExport::WriteRange(IXLSRange& range, TStream& stream) {
  TXLSRange* source = TXLSRange::From(&range);
  if (!source) return kResultFail;
  // A copy is widened, so that the caller's range keeps its bounds.
  const XLSPtr<IXLSRange> copy = TXLSRange::Create(source->Worksheet(), source->FirstRow(), source->FirstColumn(),
                                                   source->LastRow(), source->LastColumn());
  TXLSRange& widened = *TXLSRange::From(copy.Get());
  widened.ExpandToMergedAreas();
  return WriteDocument(stream, [&] { AddRows(widened); });
}

int32_t TXLSRTFExport::ExportRange(IXLSRange& range, const std::u16string& fileName) {
  return SaveFile(fileName, [&](TStream& stream) { return WriteRange(range, stream); });
}

int32_t SaveWorkbookAsRTF(TXLSWorkbook& book, const std::u16string& fileName, TStream* stream) {
  TXLSRTFExport exporter;
  return stream ? exporter.WriteWorkbook(book, *stream) : exporter.ExportWorkbook(book, fileName);
}

int32_t SaveRangeAsRTF(IXLSRange& range, const std::u16string& fileName, TStream* stream) {
  TXLSRTFExport exporter;
  return stream ? exporter.WriteRange(range, *stream) : exporter.ExportRange(range, fileName);
}

}  // namespace lx

#include "lxHTML.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "lxCodePage.h"
#include "lxFormat.h"
#include "lxRange.h"
#include "lxStringTable.h"
#include "lxStyle.h"

namespace lx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCharset = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">";
// Column extents are in 1/13330 point: so many per character of width, plus
// a fixed margin.
constexpr double kExtentPerPoint = 13330.0;
constexpr double kExtentPerCharacter = 71000.0;
constexpr double kExtentMargin = 61200.0;

void AppendInt(std::string& out, int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// Nearest integer, halves to even.
int64_t RoundEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

// x with at most one decimal digit, no 0 before the point and nothing at all
// for 0: 49.5, .5, 15.
void AppendNumberText(std::string& out, double x) {
  const int64_t tenths = RoundEven(x * 10.0);
  if (tenths == 0) return;
  if (tenths < 0) out += '-';
  const int64_t magnitude = tenths < 0 ? -tenths : tenths;
  if (magnitude >= 10) AppendInt(out, magnitude / 10);
  if (magnitude % 10 != 0) {
    out += '.';
    out += static_cast<char>('0' + magnitude % 10);
  }
}

// 0x00BBGGRR as RRGGBB.
void AppendRGB(std::string& out, uint32_t color) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  out += hex;
}

// A font name inside a style element, where entities mean nothing: every
// character but letters, digits, spaces, '-' and '_' as a CSS escape, so a
// name can neither end the rule nor the element.
void AppendCSSName(std::string& out, std::u16string_view name) {
  for (size_t i = 0; i < name.size(); ++i) {
    uint32_t c = name[i];
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
        c == '_') {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (name[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    char hex[12];
    std::snprintf(hex, sizeof hex, "\\%X ", c);
    out += hex;
  }
}

// A relative file reference for an attribute: percent-encoded UTF-8, so that
// spaces, '#', '?' and quotes in a file name neither end the attribute nor
// change the URL's meaning.
void AppendURL(std::string& out, std::u16string_view name) {
  for (const char byte : Utf16ToUtf8(name)) {
    const auto c = static_cast<unsigned char>(byte);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.' || c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
}

const char* BorderStyleWord(int32_t lineStyle) {
  switch (lineStyle) {
    case xlContinuous:
      return "solid";
    case xlDash:
    case xlDashDot:
    case xlDashDotDot:
    case xlSlantDashDot:
      return "dashed";
    case xlDot:
      return "dotted";
    case xlDouble:
      return "double";
    default:
      return "";
  }
}

double BorderPoints(int32_t weight, int32_t lineStyle) {
  double points = 0;
  switch (weight) {
    case xlHairline:
      points = 0.1;
      break;
    case xlThin:
      points = 0.5;
      break;
    case xlMedium:
      points = 1.5;
      break;
    case xlThick:
      points = 2;
      break;
    default:
      break;
  }
  return lineStyle == xlDouble ? points + 1.5 : points;
}

std::string SheetFileName(int32_t number) {
  char name[24];
  std::snprintf(name, sizeof name, "Sheet%03d.htm", static_cast<int>(number));
  return name;
}

bool WriteFile(const std::u16string& fileName, const std::string& bytes) {
  TSaveFile file;
  if (!file.Open(fileName)) return false;
  if (!file.Stream().WriteAll(bytes.data(), static_cast<int64_t>(bytes.size()))) return false;
  return file.Commit();
}

std::string TabStrip(TXLSWorkbook& book) {
  std::string out = "<html>\r\n<head>\r\n";
  out += kCharset;
  out +=
      "\r\n<style>\r\n<!--\r\nA {\r\n    text-decoration:none;\r\n    color:#000000;\r\n    font-size:9pt;\r\n}\r\n-->"
      "\r\n</style>\r\n</head>\r\n<body topmargin=0 leftmargin=0 bgcolor=\"#808080\">\r\n<table border=0 "
      "cellspacing=1>\r\n <tr>\r\n";
  IXLSWorkSheets& sheets = *book.Worksheets();
  for (int32_t i = 1; i <= sheets.Count(); ++i) {
    out += "<td bgcolor=\"#FFFFFF\" nowrap><b><small><small>&nbsp;<a href=\"";
    out += SheetFileName(i);
    out += "\" target=\"frSheet\"><font face=\"Arial\" color=\"#000000\">";
    AppendHTMLText(TXLSFormater::EscapeHTML(sheets.Item(i)->Name()), out);
    out += "</font></a>&nbsp;</small></small></b></td>\r\n";
  }
  out += " </tr>\r\n</table>\r\n</body>\r\n</html>\r\n";
  return out;
}

std::string Frameset(std::u16string_view folder, int32_t activeNumber) {
  std::string out = "<html>\r\n<head>\r\n";
  out += kCharset;
  out += "\r\n</head>\r\n<frameset rows=\"*,39\" border=0 width=0 frameborder=no framespacing=0>\r\n";
  out += "<frame src=\"";
  AppendURL(out, folder);
  out += '/';
  out += SheetFileName(activeNumber);
  out += "\" name=\"frSheet\">\r\n<frame src=\"";
  AppendURL(out, folder);
  out +=
      "/tabstrip.htm\" name=\"frTabs\" marginwidth=0 marginheight=0>\r\n<noframes>\r\n<body>\r\n<p>This page uses the "
      "frames. Your browser does not support frames.</p>\r\n</body>\r\n</noframes>\r\n</frameset>\r\n</html>\r\n";
  return out;
}

}  // namespace

void AppendHTMLText(std::u16string_view text, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    // A run of ASCII is copied in one step.
    size_t end = i;
    while (end < text.size() && text[end] < 0x80) ++end;
    if (end > i) {
      const size_t at = out.size();
      out.resize(at + (end - i));
      for (size_t k = i; k < end; ++k) out[at + k - i] = static_cast<char>(text[k]);
      i = end;
      if (i == text.size()) break;
    }
    const char16_t c = text[i];
    uint32_t code = c;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      code = 0xFFFD;  // a lone surrogate is no character
    } else if (c >= 0xA0 && c <= 0xFF) {
      out += static_cast<char>(c);  // 1252 holds Latin-1's upper half as is
      continue;
    } else if (c > 0xFF) {
      // The few other characters 1252 holds (the euro sign, curly quotes,
      // dashes, ...) keep their byte.
      const std::string byte = WideToAnsi(text.substr(i, 1), kSystemCodePage);
      if (byte.size() == 1 && byte[0] != '?') {
        out += byte[0];
        continue;
      }
    }
    out += "&#";
    AppendInt(out, code);
    out += ';';
  }
}

TXLSHTMLExport::TFormatInfo& TXLSHTMLExport::FormatInfo(int32_t format) {
  // Format indexes are positions in the format list: a table by index finds
  // them without hashing.
  const auto slot = static_cast<size_t>(format);
  if (slot < formatSlots_.size() && formatSlots_[slot]) return *formatSlots_[slot];
  auto [at, added] = formatInfo_.try_emplace(format);
  if (slot < kFormatSlots) {
    if (slot >= formatSlots_.size()) formatSlots_.resize(slot + 1, nullptr);
    formatSlots_[slot] = &at->second;
  }
  if (added) {
    TFormatInfo& info = at->second;
    info.numberFormat = formats_->GetXFNumberFormatText(format);
    info.isDate = formats_->IsXFDateFormat(format);
    info.plainFormat = info.numberFormat.empty() || info.numberFormat == u"@" || info.numberFormat == u"General";
    info.generalAlignment = formats_->GetXFHorizontalAlignment(format) == 0;
  }
  return at->second;
}

void TXLSHTMLExport::AddRule(IXLSWorksheet& sheet, std::string_view key, int32_t row, int32_t column, int32_t keyFormat,
                             int32_t rightFormat, int32_t rightRow, int32_t rightColumn, int32_t bottomFormat,
                             int32_t bottomRow, int32_t bottomColumn) {
  const XLSPtr<IXLSRange> cell = TXLSRange::Create(&sheet, row, column, row, column);
  std::string& out = styles_;
  out += " td.f";
  out += key;
  out += " {font-family: ";
  const XLSPtr<IXLSFont> font = cell->Font();
  AppendCSSName(out, font->Name());
  out += "; font-size: ";
  AppendInt(out, RoundEven(font->Size()));
  out += "pt; padding:1px; ";
  if (font->Bold()) out += "font-weight: bold; ";
  if (font->Italic()) out += "font-style: italic; ";
  switch (cell->HorizontalAlignment()) {
    case xlHAlignRight:
      out += "text-align: right; padding-left: 0;";
      break;
    case xlHAlignLeft:
      out += "text-align: left; padding-right: 0; ";
      break;
    case xlHAlignJustify:
      out += "text-align: justify; ";
      break;
    case xlHAlignCenter:
      out += "text-align: center; ";
      break;
    default:
      break;
  }
  switch (cell->VerticalAlignment()) {
    case xlVAlignTop:
      out += "vertical-align: top; padding-bottom: 0;";
      break;
    case xlVAlignCenter:
      out += "vertical-align: middle; ";
      break;
    case xlVAlignBottom:
      out += "vertical-align: bottom; padding-top: 0; ";
      break;
    default:
      break;
  }
  out += "color: #";
  AppendRGB(out, font->Color());
  out += "; ";
  const XLSPtr<IXLSInterior> interior = cell->Interior();
  if (interior->Pattern() != xlNone) {
    out += "background-color: #";
    AppendRGB(out, interior->Color());
    out += "; ";
  }
  if (!cell->WrapText().ToBool()) out += "white-space: nowrap; ";

  struct TEdge {
    const char* name;
    int32_t formatEdge;
    int32_t rangeEdge;
    int32_t format;
    int32_t row;
    int32_t column;
  };
  const TEdge edges[] = {
      {"border-top: ", kXFEdgeTop, xlEdgeTop, keyFormat, row, column},
      {"border-left: ", kXFEdgeLeft, xlEdgeLeft, keyFormat, row, column},
      {"border-bottom: ", kXFEdgeBottom, xlEdgeBottom, bottomFormat, bottomRow, bottomColumn},
      {"border-right: ", kXFEdgeRight, xlEdgeRight, rightFormat, rightRow, rightColumn},
  };
  for (const TEdge& edge : edges) {
    const int32_t lineStyle = formats_->GetXFBorderLineStyle(edge.format, edge.formatEdge);
    if (lineStyle == xlNone) continue;
    out += edge.name;
    AppendNumberText(out, BorderPoints(formats_->GetXFBorderWeight(edge.format, edge.formatEdge), lineStyle));
    out += "pt ";
    out += BorderStyleWord(lineStyle);
    out += " #";
    const XLSPtr<IXLSRange> owner = edge.row == row && edge.column == column
                                        ? cell
                                        : TXLSRange::Create(&sheet, edge.row, edge.column, edge.row, edge.column);
    AppendRGB(out, owner->Borders()->Item(edge.rangeEdge)->Color());
    out += "; ";
  }
  out += '}';
  out += kLineEnd;
}

bool TXLSHTMLExport::WritePage(TXLSRange& range, TStream& stream) {
  IXLSWorksheet& sheet = *range.Worksheet();
  TlxFormatList& formats = sheet.Workbook()->Formats();
  formats_ = &formats;
  formatInfo_.clear();
  formatSlots_.clear();
  keys_.clear();
  const TXLSCellHeap& cells = sheet.CellHeap();
  TXLSStringTable& strings = sheet.Workbook()->StringTable();
  const TXLSRowInfoList& rowInfo = sheet.RowInfo();
  const TXLSColumnInfoList& columnInfo = sheet.ColumnInfo();
  const int32_t top = range.FirstRow();
  const int32_t bottom = range.LastRow();
  const int32_t left = range.FirstColumn();
  const int32_t right = range.LastColumn();

  // The rows and columns shown, and for each position how many shown ones
  // come before it, which turns a merged area into its spans.
  std::vector<int32_t> shownColumns;
  std::vector<int32_t> columnsBefore(static_cast<size_t>(right - left + 2), 0);
  for (int32_t c = left; c <= right; ++c) {
    const bool shown = !columnInfo.ColumnHidden(c);
    if (shown) shownColumns.push_back(c);
    columnsBefore[static_cast<size_t>(c - left + 1)] = static_cast<int32_t>(shownColumns.size());
  }
  std::vector<int32_t> rowsBefore(static_cast<size_t>(bottom - top + 2), 0);
  for (int32_t r = top, shown = 0; r <= bottom; ++r) {
    if (!rowInfo.RowHidden(r)) ++shown;
    rowsBefore[static_cast<size_t>(r - top + 1)] = shown;
  }
  auto shownColumnsIn = [&](int32_t from, int32_t to) {
    return columnsBefore[static_cast<size_t>(to - left + 1)] - columnsBefore[static_cast<size_t>(from - left)];
  };
  auto shownRowsIn = [&](int32_t from, int32_t to) {
    return rowsBefore[static_cast<size_t>(to - top + 1)] - rowsBefore[static_cast<size_t>(from - top)];
  };

  styles_.clear();
  styles_ += "<html><head>\r\n";
  styles_ += kCharset;
  styles_ += "\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\n";

  std::string& body = body_;
  body.clear();
  body.reserve(kFlushBytes + 4096);
  // The body goes out in pieces of about kFlushBytes; the style list comes
  // first, so a first walk over the cells finds the rules.
  auto flush = [&] {
    const bool ok = stream.WriteAll(body.data(), static_cast<int64_t>(body.size()));
    body.clear();
    return ok;
  };
  std::vector<double> extents;
  double total = 0;
  for (const int32_t c : shownColumns) {
    const double extent = columnInfo.ColumnWidth(c) * kExtentPerCharacter + kExtentMargin;
    extents.push_back(extent);
    total += extent;
  }
  body += "<table border=0 cellpadding=0 cellspacing=0 width=";
  AppendInt(body, RoundEven(total));
  // The width attribute counts in extent units, which a browser reads as
  // pixels; the style gives the same width in points and wins.
  body += " style='border-collapse:collapse;table-layout:fixed;width:";
  AppendNumberText(body, total / kExtentPerPoint);
  body += "pt'>\r\n";
  for (const double extent : extents) {
    body += " <col width=";
    AppendInt(body, RoundEven(extent));
    body += " style='width:";
    AppendNumberText(body, extent / kExtentPerPoint);
    body += "pt' >\r\n";
  }

  TVariant value;
  std::string key;
  auto walk = [&](bool writing) {
    for (int32_t r = top; r <= bottom; ++r) {
      const TXLSRowInfo* info = rowInfo.Find(r);
      if (rowInfo.RowHidden(r)) continue;
      const bool customHeight = info && info->CustomHeight && info->HeightSet;
      bool firstInRow = true;
      if (writing) body += "<tr>\r\n";
      for (const int32_t c : shownColumns) {
        const TXLSCellRef* cell = cells.FindCell(r, c);
        int32_t format = 0;
        const TXLSCellRef* appearance = cell;
        int32_t colspan = 1;
        int32_t rowspan = 1;
        int32_t keyRight = -1;
        int32_t keyBottom = -1;
        int32_t mTop = r, mLeft = c, mBottom = r, mRight = c;
        if (cell && cell->Merged && cells.MergedAreaOf(cell, mTop, mLeft, mBottom, mRight)) {
          // The area is written once, at its first shown position inside the
          // range, spanning the shown rows and columns it has there.
          const int32_t aTop = std::max(mTop, top), aBottom = std::min(mBottom, bottom);
          const int32_t aLeft = std::max(mLeft, left), aRight = std::min(mRight, right);
          const bool firstRow = shownRowsIn(aTop, r) == 1;
          const bool firstColumn = shownColumnsIn(aLeft, c) == 1;
          if (!firstRow || !firstColumn) continue;
          colspan = shownColumnsIn(aLeft, aRight);
          rowspan = shownRowsIn(aTop, aBottom);
          appearance = cell->MergeOwner();
          keyRight = sheet.EffectiveFormat(mTop, mRight);
          keyBottom = sheet.EffectiveFormat(mBottom, mLeft);
        }
        if (appearance) {
          format = appearance->FormatIndex > 0 ? appearance->FormatIndex : 0;
        } else {
          format = sheet.FormatWithoutCell(info, c);
        }
        if (format <= 0) format = TlxFormatList::kDefaultCellFormat;
        if (keyRight == 0) keyRight = TlxFormatList::kDefaultCellFormat;
        if (keyBottom == 0) keyBottom = TlxFormatList::kDefaultCellFormat;
        const bool compound = keyRight >= 0 && (keyRight != format || keyBottom != format);
        TFormatInfo& fi = FormatInfo(format);
        key.clear();
        AppendInt(key, format);
        if (compound) {
          key += 'r';
          AppendInt(key, keyRight);
          key += 'b';
          AppendInt(key, keyBottom);
        }
        if (!writing) {
          const bool written = compound ? !keys_.insert(key).second : fi.ruleWritten;
          if (!written) {
            if (!compound) fi.ruleWritten = true;
            const int32_t row = appearance ? appearance->Row : r;
            const int32_t column = appearance ? appearance->Column : c;
            if (compound) {
              AddRule(sheet, key, row, column, format, keyRight, mTop, mRight, keyBottom, mBottom, mLeft);
            } else {
              AddRule(sheet, key, row, column, format, format, row, column, format, row, column);
            }
          }
          continue;
        }

        body += " <td ";
        if (firstInRow && customHeight) {
          const double height = TwipsToPoints(info->Height);
          body += " height=";
          AppendInt(body, RoundEven(height * kExtentPerPoint));
          body += " style='height:";
          AppendNumberText(body, height);
          body += "pt' ";
        }
        firstInRow = false;
        if (colspan > 1) {
          body += "colspan=";
          AppendInt(body, colspan);
          body += ' ';
        }
        if (rowspan > 1) {
          body += "rowspan=";
          AppendInt(body, rowspan);
          body += ' ';
        }
        if (appearance && appearance->Kind == ckString && fi.plainFormat) {
          // A text under a plain format is the text itself, escaped: read in
          // place from the string table, without a variant's copy.
          const std::u16string& shared = strings.GetString(appearance->StringIndex);
          if (fi.generalAlignment) body += "align=left ";
          body += " class=f";
          body += key;
          body += '>';
          text_.clear();
          if (shared.empty())
            text_ = u"&nbsp;";
          else
            TXLSFormater::AppendEscaped(shared, false, text_);
          AppendHTMLText(text_, body);
          body += "</td>\r\n";
          continue;
        }
        if (appearance) {
          if (sheet.GetCellValue(appearance, value) != kResultOk) value = TVariant::Null();
          if (value.VarType() == varDouble && fi.isDate) NumberToDateValue(value);
        } else {
          value.Clear();
        }
        if (fi.generalAlignment) {
          const TVarType type = value.VarType();
          const bool right = type == varEmpty || type == varNull || type == varBoolean || value.IsNumeric();
          body += right ? "align=right " : "align=left ";
        }

        body += " class=f";
        body += key;
        body += '>';
        text_.clear();
        formater_.AppendValue(value, fi.numberFormat, true, text_);
        AppendHTMLText(text_, body);
        body += "</td>\r\n";
      }
      if (!writing) continue;
      body += "</tr>\r\n";
      if (body.size() >= kFlushBytes && !flush()) return false;
    }
    return true;
  };
  static_cast<void>(walk(false));  // writes nothing
  styles_ += "-->\r\n</STYLE>\r\n</head><body>\r\n";
  bool ok = stream.WriteAll(styles_.data(), static_cast<int64_t>(styles_.size()));
  ok = ok && walk(true);
  formats_ = nullptr;
  body += "</table></body></html>\r\n";
  return flush() && ok;
}

int32_t TXLSHTMLExport::WriteRange(IXLSRange& range, TStream& stream) {
  TXLSRange* cells = TXLSRange::From(&range);
  if (!cells) return kResultFail;
  return WritePage(*cells, stream) ? kResultOk : kResultFail;
}

int32_t TXLSHTMLExport::SavePage(TXLSRange& range, const std::u16string& fileName) {
  TSaveFile file;
  if (!file.Open(fileName) || !WritePage(range, file.Stream())) return kResultFail;
  return file.Commit() ? kResultOk : kResultFail;
}

int32_t TXLSHTMLExport::ExportRange(IXLSRange& range, const std::u16string& fileName) {
  TXLSRange* cells = TXLSRange::From(&range);
  return cells ? SavePage(*cells, fileName) : kResultFail;
}

int32_t TXLSHTMLExport::ExportSheet(IXLSWorksheet& sheet, const std::u16string& fileName) {
  const XLSPtr<IXLSRange> used = sheet.UsedRange();
  return ExportRange(*used, fileName);
}

int32_t TXLSHTMLExport::ExportWorkbook(TXLSWorkbook& book, const std::u16string& fileName) {
  IXLSWorkSheets& sheets = *book.Worksheets();
  if (sheets.Count() == 0) return kResultOk;
  if (sheets.Count() == 1) return ExportSheet(*sheets.Item(1), fileName);

  const size_t slash = fileName.rfind(u'/');
  const std::u16string directory = slash == std::u16string::npos ? std::u16string() : fileName.substr(0, slash + 1);
  std::u16string base = fileName.substr(directory.size());
  if (const size_t dot = base.rfind(u'.'); dot != std::u16string::npos && dot > 0) base.resize(dot);
  const std::u16string folderName = base + u".files";
  const std::u16string folder = directory + folderName;

  // Only the folder itself is made: a missing directory above it means the
  // frameset could not be written there either.
  if (!directory.empty() && !DirectoryExists(directory)) return kResultFail;
  const bool folderExisted = DirectoryExists(folder);
  if (!folderExisted && !CreateDirectoryPath(folder)) return kResultFail;

  // What this export created, removed again when it fails.
  std::vector<std::u16string> created;
  auto note = [&](const std::u16string& name, bool existed, bool written) {
    if (written && !existed) created.push_back(name);
    return written;
  };
  const std::u16string tabs = folder + u"/tabstrip.htm";
  const bool tabsExisted = FileExists(tabs);
  bool ok = note(tabs, tabsExisted, WriteFile(tabs, TabStrip(book)));
  int32_t activeNumber = 1;
  for (int32_t i = 1; ok && i <= sheets.Count(); ++i) {
    IXLSWorksheet* sheet = sheets.Item(i);
    if (sheet == sheets.ActiveSheet()) activeNumber = i;
    const XLSPtr<IXLSRange> used = sheet->UsedRange();
    const std::u16string name = folder + u"/" + AsciiToWide(SheetFileName(i));
    const bool existed = FileExists(name);
    ok = note(name, existed, SavePage(*TXLSRange::From(used.Get()), name) == kResultOk);
  }
  if (ok) ok = WriteFile(fileName, Frameset(folderName, activeNumber));
  if (ok) return kResultOk;
  for (const std::u16string& name : created) static_cast<void>(DeleteFileName(name));
  if (!folderExisted) static_cast<void>(DeleteFileName(folder));
  return kResultFail;
}

int32_t SaveWorkbookAsHTML(TXLSWorkbook& book, const std::u16string& fileName) {
  if (fileName.empty()) return kResultFail;
  TXLSHTMLExport exporter;
  return exporter.ExportWorkbook(book, fileName);
}

int32_t SaveRangeAsHTML(IXLSRange& range, const std::u16string& fileName, TStream* stream) {
  TXLSHTMLExport exporter;
  if (stream) return exporter.WriteRange(range, *stream);
  if (fileName.empty()) return kResultFail;
  return exporter.ExportRange(range, fileName);
}

}  // namespace lx

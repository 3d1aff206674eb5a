// What the HTML pages should show, from the model: builds the showcase
// workbook and writes, per sheet, the used range, its hidden rows and
// columns, its merged areas and the value formatter's text of every cell
// (showcase_model.json). It also saves a workbook whose sheet names hold
// markup characters, Cyrillic and CJK (names.html) with its model
// (names_model.json). test_html_chromium.py compares them with the DOM a
// browser builds.
//
//   html_expected OUTPUT_DIRECTORY
#include <array>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <utility>

#include "lxMasks.h"
#include "showcase_book.h"

using namespace lx;

namespace {

std::string Json(std::u16string_view text) {
  std::string out = "\"";
  for (const char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out + "\"";
}

std::string SheetModel(IXLSWorksheet& sheet, TXLSFormater& formater) {
  const XLSPtr<IXLSRange> used = sheet.UsedRange();
  const int32_t top = used->FirstRow(), bottom = used->LastRow();
  const int32_t left = used->FirstColumn(), right = used->LastColumn();
  std::string out = "{\"name\": " + Json(sheet.Name()) + ", \"top\": " + std::to_string(top) +
                    ", \"left\": " + std::to_string(left) + ", \"hiddenRows\": [";
  const char* comma = "";
  for (int32_t r = top; r <= bottom; ++r)
    if (sheet.RowInfo().RowHidden(r)) out += std::exchange(comma, ", ") + std::to_string(r);
  out += "], \"hiddenColumns\": [";
  comma = "";
  for (int32_t c = left; c <= right; ++c)
    if (sheet.ColumnInfo().ColumnHidden(c)) out += std::exchange(comma, ", ") + std::to_string(c);
  std::set<std::array<int32_t, 4>> merges;
  std::string texts = "[";
  for (int32_t r = top; r <= bottom; ++r) {
    texts += r == top ? "[" : ",\n  [";
    for (int32_t c = left; c <= right; ++c) {
      const XLSPtr<IXLSRange> cell = sheet.Cells()->Item(r + 1, c + 1);
      if (cell->MergeCells()) {
        const XLSPtr<IXLSRange> area = cell->MergeArea();
        merges.insert({area->FirstRow(), area->FirstColumn(), area->LastRow(), area->LastColumn()});
      }
      if (c > left) texts += ", ";
      texts += Json(formater.FormatValue(cell->Value(), cell->NumberFormat()));
    }
    texts += "]";
  }
  out += "], \"merges\": [";
  comma = "";
  for (const auto& m : merges) {
    out += std::exchange(comma, ", ");
    out += "[" + std::to_string(m[0]) + ", " + std::to_string(m[1]) + ", " + std::to_string(m[2]) + ", " +
           std::to_string(m[3]) + "]";
  }
  return out + "],\n \"texts\": " + texts + "]}";
}

bool WriteModel(TXLSWorkbook& book, const std::string& path) {
  TXLSFormater formater;
  std::string out = "[";
  IXLSWorkSheets& sheets = *book.Worksheets();
  for (int32_t i = 1; i <= sheets.Count(); ++i) out += (i > 1 ? ",\n" : "") + SheetModel(*sheets.Item(i), formater);
  out += "]\n";
  std::ofstream file(path, std::ios::binary);
  file << out;
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: html_expected OUTPUT_DIRECTORY\n");
    return 2;
  }
  const std::string directory = argv[1];
  XLSPtr<TXLSWorkbook> showcase = CreateXLSWorkbook();
  showcase::BuildShowcase(*showcase);
  if (!WriteModel(*showcase, directory + "/showcase_model.json")) return 1;

  XLSPtr<TXLSWorkbook> names = CreateXLSWorkbook();
  const std::u16string sheetNames[] = {u"<img src=x onerror=alert(1)>", u"Q&A \"1\" <b>",
                                       u"\u041b\u0438\u0441\u0442 \u2116", u"\u65e5\u672c\u8a9e"};
  for (const std::u16string& name : sheetNames) {
    IXLSWorksheet* sheet = names->Worksheets()->Add();
    sheet->SetName(name);
    sheet->Cells()->Item(1, 1)->SetValue(TVariant(name));
    sheet->Cells()->Item(2, 1)->SetValue(TVariant(u"\u0416\u0451\u043b\u0442\u044b\u0439 \u9ec4\u8272 </td>"));
  }
  if (!WriteModel(*names, directory + "/names_model.json")) return 1;
  if (names->SaveAsHTML(Utf8ToUtf16(directory + "/names.html")) != kResultOk) return 1;
  std::printf("models and names.html written\n");
  return 0;
}

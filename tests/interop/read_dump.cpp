// Opens a workbook with the engine's reader and prints what it read, one
// JSON object per line, for the peer checks to compare with xlrd:
//   {"sheet": name, "visible": 0|1|2} per sheet, then per cell
//   {"s": sheet index, "r": row, "c": column, "t": kind, "v": value,
//    "fmt": number format, "font": [name, height, bold, italic, colour],
//    "fill": [pattern, colour], "border": [left, right, top, bottom]}
// Rows and columns are 0-based; kinds are xlrd's: 1 text, 2 number, 3 date,
// 4 boolean, 5 error, 6 blank.
//
// Usage: read_dump FILE [PASSWORD]
#include <cstdio>
#include <string>

#include "lxCellHeap.h"
#include "lxCodePage.h"
#include "lxFormat.h"
#include "lxHandle.h"
#include "lxText.h"

using namespace lx;

namespace {

std::string Json(const std::u16string& text) {
  std::string out = "\"";
  for (char c : Utf16ToUtf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: read_dump FILE [PASSWORD]\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  const std::u16string file = Utf8ToUtf16(argv[1]);
  const int32_t result = argc > 2 ? book->Open(file, WideToAnsi(Utf8ToUtf16(argv[2]))) : book->Open(file);
  if (result != 1) {
    std::printf("{\"result\": %d}\n", static_cast<int>(result));
    return 1;
  }
  TlxFormatList& formats = book->Formats();
  IXLSWorkSheets& sheets = *book->Worksheets();
  for (int32_t s = 1; s <= sheets.Count(); ++s) {
    IXLSWorksheet& sheet = *sheets.Item(s);
    std::printf("{\"sheet\": %s, \"visible\": %d}\n", Json(sheet.Name()).c_str(), sheet.Visible());
    const TXLSCellHeap& cells = sheet.CellHeap();
    if (cells.Empty()) continue;
    for (int32_t row = cells.FirstRow(); row <= cells.LastRow(); ++row) {
      for (int32_t column = cells.FirstColumn(); column <= cells.LastColumn(); ++column) {
        const TXLSCellRef* cell = cells.FindCell(row, column);
        if (!cell) continue;
        // What a user reads: dates as dates.
        const TVariant value = sheet.Cells()->Item(row + 1, column + 1)->Value();
        int kind = 6;
        std::string shown = "null";
        if (value.IsString()) {
          kind = 1;
          shown = Json(value.ToWide());
        } else if (value.VarType() == varBoolean) {
          kind = 4;
          shown = value.ToBool() ? "1" : "0";
        } else if (value.VarType() == varDate) {
          kind = 3;
          // The serial as the file holds it (the model's date scale differs
          // before 1 March 1900).
          double serial = value.ToDouble();
          if (serial >= 1 && serial < 61) serial -= 1;
          shown = Number(serial);
        } else if (cell->Kind == ckFormula && value.IsNull()) {
          // A formula whose result is an error reports it as its status.
          TVariant result;
          const int32_t status = book->EvaluateFormula(sheet.Index(), cell->Formula(), result, column, row);
          if (status == 0 || status == 7 || status == 15 || status == 23 || status == 29 || status == 36 ||
              status == 42) {
            kind = 5;
            shown = Number(status);
          }
        } else if (cell->Kind == ckError) {
          kind = 5;
          shown = Number(cell->Number);
        } else if (value.IsNumeric()) {
          kind = 2;
          shown = Number(value.ToDouble());
        }
        const TXLSXFFields xf = TXLSXFFields::Parse(formats.GetKey(cell->FormatIndex));
        const TXLSFontFields font = TXLSFontFields::Parse(formats.Fonts().GetKey(xf.Font));
        const uint32_t b1 = xf.Border1;
        std::printf(
            "{\"s\": %d, \"r\": %d, \"c\": %d, \"t\": %d, \"v\": %s, \"fmt\": %s, \"font\": [%s, %d, %d, %d, %d], "
            "\"fill\": [%d, %d], \"border\": [%u, %u, %u, %u]}\n",
            static_cast<int>(s - 1), static_cast<int>(row), static_cast<int>(column), kind, shown.c_str(),
            Json(formats.NumFormats().GetAt(xf.NumFormat)).c_str(), Json(font.Name).c_str(), font.Height,
            font.Bold ? 1 : 0, font.Italic ? 1 : 0, font.Color, xf.Pattern, xf.PatternColors & 0x7F, b1 & 0xF,
            (b1 >> 4) & 0xF, (b1 >> 8) & 0xF, (b1 >> 12) & 0xF);
      }
    }
  }
  return 0;
}

// Opens an XLS file with the engine, prints the shapes of every sheet's
// drawing as read, and saves the workbook again as BIFF8 and, when a second
// output is named, as BIFF5.
//
// Usage: draw_resave IN OUT8 [OUT5]
// Output: one JSON object per shape:
//   {"sheet": n, "shapeType": t, "objectType": o, "row": r, "column": c,
//    "text": "...", "author": "...", "chartRecords": k}
// Exit 0 when the open and the saves succeed.
#include <cstdio>
#include <string>

#include "lxConstants.h"
#include "lxDraw.h"
#include "lxDrawingObjects.h"
#include "lxHandle.h"
#include "lxText.h"

using namespace lx;

namespace {

std::string Json(const std::u16string& text) {
  std::string out = "\"";
  for (char c : Utf16ToUtf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: draw_resave IN OUT8 [OUT5]\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  int32_t result = book->Open(Utf8ToUtf16(argv[1]));
  if (result != kResultOk) {
    std::fprintf(stderr, "open: %d\n", static_cast<int>(result));
    return 1;
  }
  IXLSWorkSheets& sheets = *book->Worksheets();
  for (int32_t s = 1; s <= sheets.Count(); ++s) {
    IXLSWorksheet& sheet = *sheets.Item(s);
    if (!FindDrawingObjects(sheet)) continue;
    const TMsoDrawing& drawing = DrawingObjects(sheet).Drawing();
    for (size_t i = 0; i < drawing.Count(); ++i) {
      const TMsoShapeContainer& shape = drawing.Item(i);
      std::printf(
          "{\"sheet\": %d, \"shapeType\": %d, \"objectType\": %d, \"row\": %d, \"column\": %d, \"text\": %s, "
          "\"author\": %s, \"chartRecords\": %d}\n",
          static_cast<int>(s), shape.Sp().ShapeType, shape.ObjectType(), shape.Row(), shape.Column(),
          Json(shape.Text()).c_str(), Json(shape.Author()).c_str(),
          shape.Chart() ? static_cast<int>(shape.Chart()->Items().size()) : 0);
    }
  }
  result = book->SaveAs(Utf8ToUtf16(argv[2]), kSaveBiff8);
  if (result != kResultOk) {
    std::fprintf(stderr, "save BIFF8: %d\n", static_cast<int>(result));
    return 1;
  }
  if (argc > 3) {
    result = book->SaveAs(Utf8ToUtf16(argv[3]), kSaveBiff5);
    if (result != kResultOk) {
      std::fprintf(stderr, "save BIFF5: %d\n", static_cast<int>(result));
      return 1;
    }
  }
  return 0;
}

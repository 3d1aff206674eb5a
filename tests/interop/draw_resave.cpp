// Opens an XLS file with the engine, prints the shapes of every sheet's
// drawing as read, and saves the workbook again as BIFF8 and, when a second
// output is named, as BIFF5.
//
// Usage: draw_resave IN OUT8 [OUT5]
// Output: one JSON object per shape:
//   {"sheet": n, "shapeType": t, "objectType": o, "row": r, "column": c,
//    "text": "...", "author": "...", "chartRecords": k}
// then one per picture of a sheet:
//   {"sheet": n, "picture": k, "index": i, "row": r, "column": c}
// and one per picture-store entry:
//   {"store": k, "type": t, "refCount": n, "data": "hex"}
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
  for (int32_t s = 1; s <= sheets.Count(); ++s) {
    IXLSWorksheet& sheet = *sheets.Item(s);
    if (!FindDrawingObjects(sheet)) continue;
    TXLSShapes& pictures = DrawingObjects(sheet).Pictures();
    for (size_t k = 1; k <= pictures.Count(); ++k) {
      const TXLSPicture& picture = pictures.Item(k);
      std::printf("{\"sheet\": %d, \"picture\": %d, \"index\": %u, \"row\": %d, \"column\": %d}\n", static_cast<int>(s),
                  static_cast<int>(k), static_cast<unsigned>(picture.PictureIndex()), static_cast<int>(picture.Row()),
                  static_cast<int>(picture.Column()));
    }
  }
  const TMSOPictureList& store = DrawingBookObjects(*book).DrawingGroup().Pictures();
  for (size_t k = 0; k < store.Count(); ++k) {
    const TMSOPicture& entry = store.Item(k);
    std::string data;
    for (uint8_t byte : entry.Data()) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", byte);
      data += hex;
    }
    std::printf("{\"store\": %d, \"type\": %d, \"refCount\": %u, \"data\": \"%s\"}\n", static_cast<int>(k),
                entry.PictureType(), static_cast<unsigned>(entry.RefCount()), data.c_str());
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

// Conditional formats, validations and autofilters for the LibreOffice
// check (test_sheet_objects_libreoffice.py):
//   sheet_objects resave IN OUT   opens IN and saves it again as BIFF8 OUT
//   sheet_objects filter OUT      a small table with an autofilter over
//                                 A1:C5 made through a range's AutoFilter
// Prints what the engine holds of the sheet objects of the first sheet
// ("formats N", "validations N", "filter ROW FIRST LAST COLUMNS").
#include <cstdio>
#include <string>

#include "lxDrawingObjects.h"
#include "lxHandle.h"
#include "lxText.h"

using namespace lx;

namespace {

void Describe(IXLSWorksheet& sheet) {
  TXLSDrawingObjects& objects = DrawingObjects(sheet);
  const TXLSAutofilter& filter = objects.Autofilter();
  std::printf("formats %d\nvalidations %d\nfilter %d %d %d %d\n", static_cast<int>(objects.CondFormatter().Count()),
              static_cast<int>(objects.DataValidator().Count()), static_cast<int>(filter.HeaderRow()),
              static_cast<int>(filter.FirstColumn()), static_cast<int>(filter.LastColumn()),
              static_cast<int>(filter.ColumnCount()));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!((mode == "resave" && argc == 4) || (mode == "filter" && argc == 3))) {
    std::fprintf(stderr, "usage: sheet_objects resave IN OUT | sheet_objects filter OUT\n");
    return 2;
  }
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  if (mode == "resave") {
    const int32_t result = book->Open(Utf8ToUtf16(argv[2]));
    if (result != kResultOk) {
      std::fprintf(stderr, "sheet_objects: open failed with %d\n", static_cast<int>(result));
      return 1;
    }
  } else {
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    const char16_t* titles[] = {u"Name", u"Amount", u"Kind"};
    for (int32_t c = 1; c <= 3; ++c) sheet->Cells()->Item(1, c)->SetValue(TVariant(titles[c - 1]));
    for (int32_t r = 2; r <= 5; ++r) {
      sheet->Cells()->Item(r, 1)->SetValue(TVariant(std::u16string(u"n") + static_cast<char16_t>(u'0' + r)));
      sheet->Cells()->Item(r, 2)->SetValue(TVariant(r * 1.5));
      sheet->Cells()->Item(r, 3)->SetValue(TVariant(r % 2 == 0 ? u"even" : u"odd"));
    }
    sheet->Range(u"A1", u"C5")->AutoFilter();
  }
  Describe(*book->Worksheets()->Item(1));
  const int32_t result = book->SaveAs(Utf8ToUtf16(argv[argc - 1]), kSaveBiff8);
  if (result != kResultOk) {
    std::fprintf(stderr, "sheet_objects: save failed with %d\n", static_cast<int>(result));
    return 1;
  }
  return 0;
}

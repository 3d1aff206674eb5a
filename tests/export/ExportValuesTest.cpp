// Every writer shows a cell as the range's Value gives it, under the cell's
// number format: the HTML page, the RTF document and the CSV text of the same
// cells carry the same texts, early serials under a date format included
// (the spreadsheet's calendar counts a 29 February 1900).
#include <gtest/gtest.h>

#include <string>

#include "lxHandle.h"
#include "lxStreams.h"
#include "lxStyle.h"
#include "support/LocaleGuard.h"

namespace lx {
namespace {

std::string Saved(IXLSRange& range, int32_t format) {
  TMemoryStream stream;
  EXPECT_EQ(range.SaveAs(stream, format), kResultOk) << format;
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TEST(ExportValues, WritersShowWhatValueGives) {
  const test::TLocaleGuard locale{TFormatSettings{}};
  const struct {
    TVariant value;
    std::u16string format;
    std::string shown;
  } cases[] = {
      {TVariant(45.0), u"yyyy-mm-dd", "1900-02-14"},  // before the phantom leap day
      {TVariant(61.0), u"yyyy-mm-dd", "1900-03-01"},
      {TVariant(45000.0), u"d-mmm-yy", "15-Mar-23"},
      {TVariant(1234.5), u"#,##0.00", "1,234.50"},
  };
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  int32_t row = 1;
  for (const auto& c : cases) {
    XLSPtr<IXLSRange> cell = sheet->Cells()->Item(row++, 1);
    cell->SetValue(c.value);
    cell->SetNumberFormat(c.format);
  }
  XLSPtr<IXLSRange> used = sheet->UsedRange();
  const std::string html = Saved(*used, kSaveHTML);
  const std::string rtf = Saved(*used, kSaveRTF);
  const std::string csv = Saved(*used, kSaveCSV);
  for (const auto& c : cases) {
    EXPECT_NE(html.find(">" + c.shown + "</td>"), std::string::npos) << c.shown;
    EXPECT_NE(rtf.find(c.shown + "\\cell"), std::string::npos) << c.shown;
  }
  // The delimited text writes dates in its own fixed form; its numbers
  // follow the same values.
  EXPECT_NE(csv.find("2/14/1900"), std::string::npos) << csv;
}

}  // namespace
}  // namespace lx

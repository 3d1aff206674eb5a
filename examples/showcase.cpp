// showcase: builds a workbook of several sheets with every kind of value and
// formatting the engine has, and saves it as BIFF8 (showcase8.xls) and BIFF5
// (showcase5.xls), its active sheet as delimited text, the whole workbook as
// RTF (showcase.rtf), and as HTML (showcase.html, a frameset with one page
// per sheet in showcase.files).
//
//   showcase [output directory]
//
// Copy the parts you need: each block of showcase_book.h is one feature.
#include <cstdio>
#include <string>

#include "showcase_book.h"

using namespace lx;

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : ".";
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  showcase::BuildShowcase(*book);

  int status = 0;
  // The XLS and RTF files hold every sheet; the delimited-text files the
  // active one, Values.
  const std::pair<int32_t, const char*> saves[] = {{kSaveBiff8, "showcase8.xls"},
                                                   {kSaveBiff5, "showcase5.xls"},
                                                   {kSaveCSV, "showcase.csv"},
                                                   {kSaveTSV, "showcase.tsv"},
                                                   {kSaveCSVUnicode, "showcase-utf16.csv"},
                                                   {kSaveTSVUnicode, "showcase-utf16.tsv"},
                                                   {kSaveHTML, "showcase.html"},
                                                   {kSaveRTF, "showcase.rtf"}};
  for (const auto& [format, name] : saves) {
    const std::u16string path = Utf8ToUtf16(directory + "/" + name);
    const int32_t result = book->SaveAs(path, format);
    std::printf("%s: %s\n", name, result == 1 ? "saved" : "failed");
    if (result != 1) status = 1;
  }
  return status;
}

// Fuzzes the formula lexer, parser, encoder, decoder and renderer with
// formula text as a user types it: any text must either be refused or give a
// tree whose bytes in both file versions decode back and (without sheet
// references or bytes outside ASCII) re-encode to the same bytes. Seeds: fuzz/corpus/formula_text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lxConstants.h"
#include "lxFormula.h"

using namespace lx;

namespace {

const std::vector<std::pair<int32_t, std::u16string>> kSheets = {{1, u"Sheet1"}, {2, u"My Sheet"}, {3, u"Sheet3"}};

TlxExternSheetWorkbookLinks SheetLinks() {
  return {[] { return static_cast<int32_t>(kSheets.size()) + 1; },
          [](int32_t position) {
            return position >= 1 && position <= static_cast<int32_t>(kSheets.size()) ? kSheets[position - 1].second
                                                                                     : std::u16string();
          },
          [](std::u16string_view name) {
            for (const auto& sheet : kSheets) {
              if (sheet.second == name) return sheet.first;
            }
            return -1;
          },
          [](int32_t id) { return id >= 1 && id <= static_cast<int32_t>(kSheets.size()) ? id : -1; }};
}

TlxExternSheetNameLinks NameLinks() {
  TlxExternSheetNameLinks names;
  names.nameIdentifier = [](std::u16string_view name, int32_t) { return name == u"Total" ? 1 : -1; };
  names.nameWrittenIndex = [](int32_t id) { return id == 1 ? 1 : -1; };
  names.nameText = [](int32_t id) { return std::u16string(id == 1 ? u"Total" : u""); };
  names.nameSheetIdentifier = [](int32_t) { return 0; };
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TlxExternSheetSheet table(SheetLinks(), NameLinks());
  TXLSFormula formula(&table);
  auto tree = formula.ParseFormula(text, 1);
  if (!tree) return 0;
  auto moved = tree->CopyWithOffset(static_cast<int32_t>(size % 7) - 3, static_cast<int32_t>(size % 5) - 2);
  table.PrepareForSave();
  // Sheet entries are numbered differently for writing and reading, and
  // bytes outside ASCII may not survive the code-page round trip of BIFF8
  // strings: only other formulas must come back byte for byte.
  bool exact = text.find('!') == std::string_view::npos;
  for (const char c : text) exact = exact && static_cast<unsigned char>(c) < 0x80;
  for (const bool biff5 : {false, true}) {
    formula.SetBiff5(biff5);
    for (const TXLSSyntaxItem* root : {tree.get(), moved.get()}) {
      TXLSBlob bytes;
      if (formula.EncodeFormula(*root, kClassValue, 3, 3, bytes) != kResultOk) {
        // A wrong argument count or an over-long formula; nothing is kept.
        if (bytes.Length() != 0) __builtin_trap();
        continue;
      }
      uint32_t offset = 0;
      auto decoded = formula.DecodeFormula(bytes, offset, biff5 ? 0x0500 : 0x0600);
      if (!decoded) {
        if (exact) __builtin_trap();
        continue;
      }
      if (offset != bytes.Length()) __builtin_trap();
      std::string rendered;
      (void)formula.FormulaText(*decoded, 3, 3, rendered);
      TXLSBlob again;
      if (formula.EncodeFormula(*decoded, kClassValue, 3, 3, again) != kResultOk) {
        if (exact) __builtin_trap();
        continue;
      }
      if (exact && (again.Length() != bytes.Length() ||
                    std::string_view(reinterpret_cast<const char*>(again.Data()), again.Length()) !=
                        std::string_view(reinterpret_cast<const char*>(bytes.Data()), bytes.Length()))) {
        __builtin_trap();
      }
    }
  }
  return 0;
}

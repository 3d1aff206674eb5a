// Fuzzes the formula lexer, parser, encoder, decoder and renderer with
// formula text as a user types it: any text must either be refused or give a
// tree whose bytes in both file versions decode back and (without sheet
// references or bytes outside ASCII) re-encode to the same bytes, and whose
// rendered text parses again to a tree that encodes to the same bytes as the
// first. Seeds: fuzz/corpus/formula_text.
#include <charconv>
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

bool SameBytes(const TXLSBlob& a, const TXLSBlob& b) {
  return a.Length() == b.Length() && std::string_view(reinterpret_cast<const char*>(a.Data()), a.Length()) ==
                                         std::string_view(reinterpret_cast<const char*>(b.Data()), b.Length());
}

// How the numbers of a tree fare in its text, which writes them with 15
// significant digits: all of them keep their value, some are rounded, or some
// are written in exponent notation, which the parser does not read.
enum class TNumbers { Exact, Rounded, Exponent };

TNumbers NumbersInText(const TXLSSyntaxItem& node, int32_t depth) {
  if (depth > kMaxFormulaDepth) return TNumbers::Exponent;
  TNumbers worst = TNumbers::Exact;
  if (node.Kind() == kNodeNumber) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, node.Number(), std::chars_format::general, 15);
    if (std::string_view(buffer, static_cast<size_t>(written.ptr - buffer)).find('e') != std::string_view::npos) {
      return TNumbers::Exponent;
    }
    double value = 0;
    std::from_chars(buffer, written.ptr, value);
    if (value != node.Number()) worst = TNumbers::Rounded;
  }
  for (int32_t i = 0; i < node.ChildCount(); ++i) {
    const TNumbers child = NumbersInText(*node.Child(i), depth + 1);
    if (child > worst) worst = child;
  }
  return worst;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TlxExternSheetSheet table(SheetLinks(), NameLinks());
  TXLSFormula formula(&table);
  auto tree = formula.ParseFormula(text, 1);
  if (!tree) return 0;
  auto moved = tree->CopyWithOffset(static_cast<int32_t>(size % 7) - 3, static_cast<int32_t>(size % 5) - 2);
  // The text the tree renders to must read back as the same formula: in both
  // versions its tokens are those of the typed text, or both are refused.
  // What may differ: trees with nodes that have no text form (array
  // constants, unions) are refused by the renderer; numbers are rendered to
  // 15 significant digits, so a tree with a number that does not keep its
  // value need only read back, and one with a number in exponent notation
  // (the parser takes none) need not.
  std::string shown;
  const TNumbers numbers = NumbersInText(*tree, 0);
  if (numbers != TNumbers::Exponent && formula.FormulaText(*tree, 3, 3, shown) == kResultOk) {
    auto reread = formula.ParseFormula(shown, 1);
    if (!reread) __builtin_trap();
    for (const bool biff5 : {false, true}) {
      formula.SetBiff5(biff5);
      TXLSBlob first, second;
      const int32_t firstResult = formula.EncodeFormula(*tree, kClassValue, 3, 3, first);
      const int32_t secondResult = formula.EncodeFormula(*reread, kClassValue, 3, 3, second);
      if (numbers == TNumbers::Exact && (firstResult != secondResult || !SameBytes(first, second))) __builtin_trap();
    }
  }
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
      if (exact && !SameBytes(again, bytes)) __builtin_trap();
    }
  }
  return 0;
}

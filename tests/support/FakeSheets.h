// Test helper: a workbook stand-in for the external-sheet table, holding
// sheets as (identifier, name) pairs in position order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lxExternSheet.h"

namespace lx::test {

using TFakeSheets = std::vector<std::pair<int32_t, std::u16string>>;

// Links that read the sheets through a pointer, so tests can rename, move
// and delete sheets after the table was built.
inline TlxExternSheetWorkbookLinks FakeSheetLinks(const TFakeSheets* sheets) {
  return TlxExternSheetWorkbookLinks{[sheets] { return static_cast<int32_t>(sheets->size()) + 1; },
                                     [sheets](int32_t position) {
                                       return position >= 1 && position <= static_cast<int32_t>(sheets->size())
                                                  ? (*sheets)[position - 1].second
                                                  : std::u16string();
                                     },
                                     [sheets](std::u16string_view name) {
                                       for (const auto& sheet : *sheets) {
                                         if (sheet.second == name) return sheet.first;
                                       }
                                       return -1;
                                     },
                                     [sheets](int32_t id) {
                                       for (size_t i = 0; i < sheets->size(); ++i) {
                                         if ((*sheets)[i].first == id) return static_cast<int32_t>(i) + 1;
                                       }
                                       return -1;
                                     }};
}

}  // namespace lx::test

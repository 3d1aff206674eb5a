#include "lxPageBreaks.h"

#include <algorithm>

namespace lx {

namespace {

constexpr int32_t kLastRow = 65535;
constexpr int32_t kLastColumn = 255;
// BIFF8 breaks carry the span of the other direction: a row break runs over
// columns 0..255, a column break over rows 0..65535.
constexpr uint16_t kRowBreakLastColumn = 255;
constexpr uint16_t kColumnBreakLastRow = 0xFFFF;
constexpr uint32_t kBiff5BreakSize = 2;
constexpr uint32_t kBiff8BreakSize = 6;

}  // namespace

TXLSPageBreak* TXLSPageBreaks::Add(int32_t position) {
  if (position < 0 || position > (horizontal_ ? kLastRow : kLastColumn)) return nullptr;
  auto at = std::lower_bound(breaks_.begin(), breaks_.end(), position,
                             [](const std::unique_ptr<TXLSPageBreak>& b, int32_t p) { return b->position_ < p; });
  if (at != breaks_.end() && (*at)->position_ == position) return at->get();
  std::unique_ptr<TXLSPageBreak> created = CreateBreak();
  created->position_ = position;
  at = breaks_.insert(at, std::move(created));
  for (auto it = at; it != breaks_.end(); ++it) (*it)->index_ = static_cast<int32_t>(it - breaks_.begin()) + 1;
  return at->get();
}

TXLSPageBreak* TXLSPageBreaks::Item(int32_t index) const {
  if (index < 1 || index > Count()) return nullptr;
  return breaks_[static_cast<size_t>(index) - 1].get();
}

std::unique_ptr<TXLSBlob> TXLSPageBreaks::BuildRecord(bool biff8) const {
  if (breaks_.empty()) return nullptr;
  const uint32_t payload = 2 + static_cast<uint32_t>(breaks_.size()) * (biff8 ? kBiff8BreakSize : kBiff5BreakSize);
  auto blob = NewRecord(horizontal_ ? kRecHorizontalPageBreaks : kRecVerticalPageBreaks, payload);
  blob->AddWord(static_cast<uint16_t>(breaks_.size()));
  for (const auto& b : breaks_) {
    blob->AddWord(static_cast<uint16_t>(b->position_));
    if (biff8) {
      blob->AddWord(0);
      blob->AddWord(horizontal_ ? kRowBreakLastColumn : kColumnBreakLastRow);
    }
  }
  return blob;
}

}  // namespace lx

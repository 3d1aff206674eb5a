// The colour palette and the PALETTE record.
#include <cstdlib>

#include "lxFormat.h"
#include "lxSysColors.h"

namespace lx {

namespace {

constexpr uint16_t kPalettePayload = 2 + 4 * TXLSPalette::kUserColors;
constexpr int32_t kColorIndexAutomatic = 0xEFF7;  // low 16 bits of -4105
constexpr int32_t kColorIndexSystemText = 0xEFF0;
constexpr int32_t kColorIndexTooltip = 80;

// The default palette, written as 0xRRGGBB for readability: the eight fixed
// colours, then the 56 user entries of a new BIFF8 workbook.
constexpr uint32_t kDefaultPalette[TXLSPalette::kEntries] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,  // 0-7
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,  // 8-15
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,  // 16-23
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,  // 24-31
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,  // 32-39
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,  // 40-47
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,  // 48-55
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,  // 56-63
};

// 0xRRGGBB to the engine's 0x00BBGGRR.
constexpr uint32_t FromRgb(uint32_t rgb) { return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16); }

int Red(uint32_t color) { return static_cast<int>(color & 0xFF); }
int Green(uint32_t color) { return static_cast<int>((color >> 8) & 0xFF); }
int Blue(uint32_t color) { return static_cast<int>((color >> 16) & 0xFF); }

}  // namespace

TXLSPalette::TXLSPalette() { Reset(); }

void TXLSPalette::Reset() {
  for (int32_t i = 0; i < kEntries; ++i) colors_[static_cast<size_t>(i)] = FromRgb(kDefaultPalette[i]);
}

void TXLSPalette::SetPaletteColor(int32_t colorIndex, uint32_t color) {
  if (colorIndex < 1 || colorIndex > kUserColors) return;
  colors_[static_cast<size_t>(colorIndex + kFirstUserEntry - 1)] = color & 0x00FFFFFF;
}

uint32_t TXLSPalette::GetPaletteColor(int32_t colorIndex) const {
  if (colorIndex == 0) return colors_[0];
  if (colorIndex >= 1 && colorIndex <= kUserColors)
    return colors_[static_cast<size_t>(colorIndex + kFirstUserEntry - 1)];
  if (colorIndex == kColorIndexTooltip) return GetSysColor(TSysColor::scInfoBk);
  if (colorIndex < 0 || colorIndex > kUserColors + 1) {
    const int32_t low = colorIndex & 0xFFFF;
    if (low == kColorIndexAutomatic || low == kColorIndexSystemText) return GetSysColor(TSysColor::scWindowText);
  }
  return 0;
}

int32_t TXLSPalette::NearestColorIndex(uint32_t color) const {
  int32_t best = kFirstUserEntry;
  int bestDistance = -1;
  for (int32_t entry = kFirstUserEntry; entry < kEntries; ++entry) {
    const uint32_t candidate = colors_[static_cast<size_t>(entry)];
    const int distance = std::abs(Red(candidate) - Red(color)) + std::abs(Green(candidate) - Green(color)) +
                         std::abs(Blue(candidate) - Blue(color));
    if (bestDistance < 0 || distance < bestDistance) {
      best = entry;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best - kFirstUserEntry + 1;
}

uint32_t TXLSPalette::Entry(int32_t entry) const {
  return entry >= 0 && entry < kEntries ? colors_[static_cast<size_t>(entry)] : 0;
}

std::unique_ptr<TXLSBlob> TXLSPalette::BuildPaletteRecord() const {
  auto record = NewRecord(kRecPalette, kPalettePayload);
  record->AddWord(kUserColors);
  for (int32_t entry = kFirstUserEntry; entry < kEntries; ++entry) {
    const uint32_t color = colors_[static_cast<size_t>(entry)];
    record->AddByte(static_cast<uint8_t>(Red(color)));
    record->AddByte(static_cast<uint8_t>(Green(color)));
    record->AddByte(static_cast<uint8_t>(Blue(color)));
    record->AddByte(0);
  }
  return record;
}

}  // namespace lx

#include "lxSysColors.h"

namespace lx {

namespace {

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red | (green << 8) | (blue << 16); }

// A default desktop theme, by system-colour index.
constexpr uint32_t kDefaultColors[] = {
    Rgb(200, 200, 200),  // scroll bar
    Rgb(0, 0, 0),        // desktop background
    Rgb(153, 180, 209),  // active caption
    Rgb(191, 205, 219),  // inactive caption
    Rgb(240, 240, 240),  // menu
    Rgb(255, 255, 255),  // window
    Rgb(100, 100, 100),  // window frame
    Rgb(0, 0, 0),        // menu text
    Rgb(0, 0, 0),        // window text
    Rgb(0, 0, 0),        // caption text
    Rgb(180, 180, 180),  // active border
    Rgb(244, 247, 252),  // inactive border
    Rgb(171, 171, 171),  // application workspace
    Rgb(0, 120, 215),    // highlight
    Rgb(255, 255, 255),  // highlight text
    Rgb(240, 240, 240),  // button face
    Rgb(160, 160, 160),  // button shadow
    Rgb(109, 109, 109),  // grey text
    Rgb(0, 0, 0),        // button text
    Rgb(0, 0, 0),        // inactive caption text
    Rgb(255, 255, 255),  // button highlight
    Rgb(105, 105, 105),  // 3-D dark shadow
    Rgb(227, 227, 227),  // 3-D light
    Rgb(0, 0, 0),        // tooltip text
    Rgb(255, 255, 225),  // tooltip background
    Rgb(0, 0, 0),        // (no element)
    Rgb(0, 102, 204),    // hot-tracked item
    Rgb(185, 209, 234),  // active caption gradient
    Rgb(215, 228, 242),  // inactive caption gradient
    Rgb(0, 120, 215),    // highlighted menu item
    Rgb(240, 240, 240),  // menu bar
};

}  // namespace

uint32_t GetSysColor(TSysColor element) {
  const auto index = static_cast<int32_t>(element);
  if (index < 0 || index >= static_cast<int32_t>(sizeof(kDefaultColors) / sizeof(kDefaultColors[0]))) return 0;
  return kDefaultColors[index];
}

}  // namespace lx

#include "lxGraphics.h"

#include <cmath>

#include "lxCodePage.h"
#include "lxSysColors.h"

namespace lx {

uint32_t ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(static_cast<TSysColor>(static_cast<uint32_t>(color) & 0xFFu));
  return static_cast<uint32_t>(color);
}

uint32_t CharsetToCodePage(uint8_t charset) {
  switch (charset) {
    case ANSI_CHARSET:
      return 1252;
    case MAC_CHARSET:
      return kCodePageMac;
    case SHIFTJIS_CHARSET:
      return 932;
    case HANGEUL_CHARSET:
      return 949;
    case JOHAB_CHARSET:
      return 1361;
    case GB2312_CHARSET:
      return 936;
    case CHINESEBIG5_CHARSET:
      return 950;
    case GREEK_CHARSET:
      return 1253;
    case TURKISH_CHARSET:
      return 1254;
    case VIETNAMESE_CHARSET:
      return 1258;
    case HEBREW_CHARSET:
      return 1255;
    case ARABIC_CHARSET:
      return 1256;
    case BALTIC_CHARSET:
      return 1257;
    case RUSSIAN_CHARSET:
      return 1251;
    case THAI_CHARSET:
      return 874;
    case EASTEUROPE_CHARSET:
      return 1250;
    case OEM_CHARSET:
      return kCodePageOem;
    default:
      return kCodePageAnsi;
  }
}

TFont::TFont(std::string name, int size, TFontStyles style, TColor color, uint8_t charset)
    : name_(std::move(name)), size_(size), style_(style), color_(color), charset_(charset) {}

// Points and pixels convert with the rounding of a multiply-then-divide at
// the screen resolution: 10 pt is 13.33 pixels, stored as -13, and -13 reads
// back as 10 pt. The sign of a height is not kept: both give the size.
int TFont::Height() const {
  return -static_cast<int>(std::lround(static_cast<double>(size_) * kScreenPixelsPerInch / 72.0));
}

void TFont::SetHeight(int height) {
  size_ = static_cast<int>(std::lround(static_cast<double>(std::abs(height)) * 72.0 / kScreenPixelsPerInch));
}

}  // namespace lx

// Colours, fonts and alignment of the component framework.
//
// The export components read fonts and colours from grid columns and from
// their own published properties, and hand them to the workbook model, which
// takes RGB values laid out 0x00BBGGRR. This unit holds the framework side of
// that hand-over: the TColor value with its special values (clNone for "no
// colour", system colours that follow the desktop theme), TFont with its
// character set, and the mapping from a character set to the code page in
// which the framework's 8-bit texts drawn in that font are written.
//
// Colours: a TColor at or above 0 is an RGB value 0x00BBGGRR, except the two
// markers clNone (0x1FFFFFFF) and clDefault (0x20000000). A negative TColor
// (high bit set) names a system colour by the desktop's index in its low
// byte; ColorToRGB turns it into the theme's RGB through lxSysColors.h.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace lx {

// A colour: RGB 0x00BBGGRR, a system colour (SystemColor), clNone or clDefault.
using TColor = int32_t;

// Markers that are not colours. ColorToRGB hands them back unchanged, so a
// caller tests for them before converting.
// No colour: nothing is filled or the setting is left as it is.
inline constexpr TColor clNone = 0x1FFFFFFF;
// The default colour of the object that receives it.
inline constexpr TColor clDefault = 0x20000000;

// The flag that marks a system colour; the low byte is the system index.
inline constexpr uint32_t kSystemColorFlag = 0x80000000u;
// The system colour of a system index (0..255).
constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(kSystemColorFlag | (static_cast<uint32_t>(index) & 0xFFu));
}

// ---------------------------------------------------------------- system colours

// The desktop's colours by role (scroll bar, window, window text, button face, ...); ColorToRGB gives the theme's
// value.
inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);            // Desktop.
inline constexpr TColor clActiveCaption = SystemColor(2);         // Active title bar.
inline constexpr TColor clInactiveCaption = SystemColor(3);       // Inactive title bar.
inline constexpr TColor clMenu = SystemColor(4);                  // Menu background.
inline constexpr TColor clWindow = SystemColor(5);                // Window background.
inline constexpr TColor clWindowFrame = SystemColor(6);           // Window frame.
inline constexpr TColor clMenuText = SystemColor(7);              // Menu text.
inline constexpr TColor clWindowText = SystemColor(8);            // Window text.
inline constexpr TColor clCaptionText = SystemColor(9);           // Title bar text.
inline constexpr TColor clActiveBorder = SystemColor(10);         // Active border.
inline constexpr TColor clInactiveBorder = SystemColor(11);       // Inactive border.
inline constexpr TColor clAppWorkSpace = SystemColor(12);         // Application workspace.
inline constexpr TColor clHighlight = SystemColor(13);            // Selection background.
inline constexpr TColor clHighlightText = SystemColor(14);        // Selection text.
inline constexpr TColor clBtnFace = SystemColor(15);              // Button face.
inline constexpr TColor clBtnShadow = SystemColor(16);            // Button shadow.
inline constexpr TColor clGrayText = SystemColor(17);             // Disabled text.
inline constexpr TColor clBtnText = SystemColor(18);              // Button text.
inline constexpr TColor clInactiveCaptionText = SystemColor(19);  // Inactive title bar text.
inline constexpr TColor clBtnHighlight = SystemColor(20);         // Button highlight.
inline constexpr TColor cl3DDkShadow = SystemColor(21);           // 3-D dark shadow.
inline constexpr TColor cl3DLight = SystemColor(22);              // 3-D light.
inline constexpr TColor clInfoText = SystemColor(23);             // Tooltip text.
inline constexpr TColor clInfoBk = SystemColor(24);               // Tooltip background.

// ---------------------------------------------------------------- named colours

// The framework's named colours, 0x00BBGGRR.
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;      // Maroon.
inline constexpr TColor clGreen = 0x008000;       // Green.
inline constexpr TColor clOlive = 0x008080;       // Olive.
inline constexpr TColor clNavy = 0x800000;        // Navy.
inline constexpr TColor clPurple = 0x800080;      // Purple.
inline constexpr TColor clTeal = 0x808000;        // Teal.
inline constexpr TColor clGray = 0x808080;        // Grey.
inline constexpr TColor clSilver = 0xC0C0C0;      // Silver.
inline constexpr TColor clRed = 0x0000FF;         // Red.
inline constexpr TColor clLime = 0x00FF00;        // Lime.
inline constexpr TColor clYellow = 0x00FFFF;      // Yellow.
inline constexpr TColor clBlue = 0xFF0000;        // Blue.
inline constexpr TColor clFuchsia = 0xFF00FF;     // Fuchsia.
inline constexpr TColor clAqua = 0xFFFF00;        // Aqua.
inline constexpr TColor clWhite = 0xFFFFFF;       // White.
inline constexpr TColor clMoneyGreen = 0xC0DCC0;  // Money green.
inline constexpr TColor clSkyBlue = 0xF0CAA6;     // Sky blue.
inline constexpr TColor clCream = 0xF0FBFF;       // Cream.
inline constexpr TColor clMedGray = 0xA4A0A0;     // Medium grey.

// ---------------------------------------------------------------- colour functions

// The colour made of red, green and blue: r + 256 g + 65536 b.
constexpr TColor RGB(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

// The RGB value of a colour: system colours become the theme's colour,
// everything else (clNone and clDefault included) is returned unchanged.
uint32_t ColorToRGB(TColor color);

// ---------------------------------------------------------------- character sets

// Character sets of a font, by their desktop numbers.
inline constexpr uint8_t ANSI_CHARSET = 0;
inline constexpr uint8_t DEFAULT_CHARSET = 1;        // The system's default.
inline constexpr uint8_t SYMBOL_CHARSET = 2;         // Symbol.
inline constexpr uint8_t MAC_CHARSET = 77;           // Macintosh.
inline constexpr uint8_t SHIFTJIS_CHARSET = 128;     // Japanese (Shift JIS).
inline constexpr uint8_t HANGEUL_CHARSET = 129;      // Korean (Hangul).
inline constexpr uint8_t JOHAB_CHARSET = 130;        // Korean (Johab).
inline constexpr uint8_t GB2312_CHARSET = 134;       // Simplified Chinese.
inline constexpr uint8_t CHINESEBIG5_CHARSET = 136;  // Traditional Chinese.
inline constexpr uint8_t GREEK_CHARSET = 161;        // Greek.
inline constexpr uint8_t TURKISH_CHARSET = 162;      // Turkish.
inline constexpr uint8_t VIETNAMESE_CHARSET = 163;   // Vietnamese.
inline constexpr uint8_t HEBREW_CHARSET = 177;       // Hebrew.
inline constexpr uint8_t ARABIC_CHARSET = 178;       // Arabic.
inline constexpr uint8_t BALTIC_CHARSET = 186;       // Baltic.
inline constexpr uint8_t RUSSIAN_CHARSET = 204;      // Cyrillic.
inline constexpr uint8_t THAI_CHARSET = 222;         // Thai.
inline constexpr uint8_t EASTEUROPE_CHARSET = 238;   // Central European.
inline constexpr uint8_t OEM_CHARSET = 255;          // The OEM character set.

// ---------------------------------------------------------------- fonts

// The code page of 8-bit text written for a font of this character set:
// 0 -> 1252, 77 -> the Macintosh pseudo page (2), 128 -> 932, 129 -> 949,
// 130 -> 1361, 134 -> 936, 136 -> 950, 161 -> 1253, 162 -> 1254,
// 163 -> 1258, 177 -> 1255, 178 -> 1256, 186 -> 1257, 204 -> 1251,
// 222 -> 874, 238 -> 1250, 255 -> the OEM pseudo page (1), anything else
// (DEFAULT_CHARSET among them) -> the system default pseudo page (0). The
// result feeds AnsiToWide (lxCodePage.h) directly.
uint32_t CharsetToCodePage(uint8_t charset);

// Horizontal alignment of a field, a grid column or a column title.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Styles of a font: bold, italic, underlined, struck out.
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles, one bit per TFontStyle.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  // The set of the listed styles.
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) bits_ |= Bit(s);
  }
  // Whether the style is in the set.
  constexpr bool Contains(TFontStyle style) const { return (bits_ & Bit(style)) != 0; }
  // Adds the style.
  constexpr void Include(TFontStyle style) { bits_ |= Bit(style); }
  // Removes the style.
  constexpr void Exclude(TFontStyle style) { bits_ &= static_cast<uint8_t>(~Bit(style)); }
  // Whether the set is empty.
  constexpr bool Empty() const { return bits_ == 0; }
  // Sets are equal when they hold the same styles.
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  static constexpr uint8_t Bit(TFontStyle style) { return static_cast<uint8_t>(1u << static_cast<unsigned>(style)); }
  uint8_t bits_ = 0;
};

// The screen resolution the framework lays out at; font heights in pixels
// and grid widths in pixels are measured at it.
inline constexpr int kScreenPixelsPerInch = 96;

// A font description. Size is in points; Height is the same size as a
// negative pixel height at kScreenPixelsPerInch (10 pt is -13), as the
// framework stores it. Copying a TFont copies every attribute.
class TFont {
 public:
  // The framework's default dialog font: MS Sans Serif, 8 pt, window text,
  // default character set.
  TFont() = default;
  // A font of a name, size in points, styles, colour and character set.
  TFont(std::string name, int size, TFontStyles style = {}, TColor color = clWindowText,
        uint8_t charset = DEFAULT_CHARSET);

  // The font's name.
  const std::string& Name() const { return name_; }
  // Sets the font's name.
  void SetName(std::string name) { name_ = std::move(name); }
  // The size in points.
  int Size() const { return size_; }
  // Sets the size in points.
  void SetSize(int points) { size_ = points; }
  // The size as a negative pixel height at kScreenPixelsPerInch.
  int Height() const;
  // Sets the size from a pixel height at kScreenPixelsPerInch (the sign is ignored).
  void SetHeight(int height);
  // The styles.
  TFontStyles Style() const { return style_; }
  // Sets the styles.
  void SetStyle(TFontStyles style) { style_ = style; }
  // The text colour.
  TColor Color() const { return color_; }
  // Sets the text colour.
  void SetColor(TColor color) { color_ = color; }
  // The character set.
  uint8_t Charset() const { return charset_; }
  // Sets the character set.
  void SetCharset(uint8_t charset) { charset_ = charset; }

  // Copies every attribute of source.
  void Assign(const TFont& source) { *this = source; }
  // Fonts are equal when every attribute is.
  friend bool operator==(const TFont&, const TFont&) = default;

 private:
  std::string name_ = "MS Sans Serif";
  int size_ = 8;
  TFontStyles style_;
  TColor color_ = clWindowText;
  uint8_t charset_ = DEFAULT_CHARSET;
};

}  // namespace lx

// Text measurement in screen pixels, for fitting columns and rows to their
// contents.
//
// TTextMeasurer is the surface that auto-fit measures on: a font is chosen
// by name, a size in whole points and a bold flag, and texts are then
// measured on one line, or word-wrapped into a given width, the way a
// drawing surface computes the rectangle a text needs. The font's line
// height, descent and internal leading come with it. Subclasses supply the
// widths of single lines and the metrics; the wrapping is shared here, so
// every measurer breaks lines alike: at explicit line breaks and, when
// wrapping, before a word that would cross the width (a word wider than
// the width stays whole on its own line).
//
// ScreenMeasurer() is the real measurer: fontconfig resolves a
// font name and weight to a font file (so a requested family that is not
// installed is replaced by a metric-compatible or similar one), FreeType
// reads advances, kerning and metrics at 96 dots per inch. Faces and
// advances are kept per font file, size and weight for the life of the
// measurer, so measuring a long column loads nothing per cell. When no font
// can be found or read, SetFont reports false and nothing is measured.
// Tests substitute a measurer with a fake font of known advances.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace lx {

// The metrics of the chosen font, in pixels.
struct TTextMetrics {
  // Ascent plus descent: the distance between two lines.
  int32_t Height = 0;
  int32_t Descent = 0;
  // The part of the height above the em square (accents).
  int32_t InternalLeading = 0;
};

// The rectangle a text needs, from the origin.
struct TTextExtent {
  int32_t Width = 0;
  int32_t Height = 0;
};

class TTextMeasurer {
 public:
  virtual ~TTextMeasurer() = default;

  // The surface's resolution in dots per inch.
  virtual int32_t Dpi() const = 0;
  // Chooses the font of the following measurements; false when no font of
  // that name (nor a substitute) can be loaded, after which measurements
  // give empty extents.
  [[nodiscard]] virtual bool SetFont(std::u16string_view name, int32_t points, bool bold) = 0;
  virtual TTextMetrics Metrics() const = 0;
  // The advance width of a text on one line, in pixels; line-break
  // characters take no room.
  virtual int32_t LineWidth(std::u16string_view text) = 0;

  // The rectangle the text needs: on one line (wrap false; line breaks do
  // not break it), or broken into lines no wider than width where it can be
  // (wrap true). Each line is one font height tall; an empty text is one
  // line tall and zero wide.
  TTextExtent Measure(std::u16string_view text, bool wrap, int32_t width);
};

// How the real measurer finds a font file: family name and weight to a path
// and a face index inside the file; false when there is none.
using TFontResolver = std::function<bool(const std::string& family, bool bold, std::string& path, int32_t& face)>;

// A measurer on fontconfig and FreeType at 96 dots per inch. The resolver
// replaces fontconfig (tests use it to make fonts unavailable).
std::unique_ptr<TTextMeasurer> CreateFontMeasurer(TFontResolver resolver = {});

// The thread's measurer, made on first use and kept for the life of the
// thread, so that workbooks used on different threads need no locks.
TTextMeasurer& ScreenMeasurer();

}  // namespace lx

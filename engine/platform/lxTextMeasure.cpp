#include "lxTextMeasure.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "lxText.h"

namespace lx {

namespace {

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

}  // namespace

// ---------------------------------------------------------------- wrapping

TTextExtent TTextMeasurer::Measure(std::u16string_view text, bool wrap, int32_t width) {
  const int32_t lineHeight = Metrics().Height;
  if (!wrap) return {LineWidth(text), lineHeight};
  TTextExtent extent;
  int32_t lines = 0;
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    // One paragraph, broken greedily before the word that would cross the
    // width; the spaces at a break belong to neither line.
    const std::u16string_view paragraph = text.substr(start, end - start);
    size_t at = 0;
    do {
      size_t lineEnd = at;
      int32_t lineWidth = 0;
      for (size_t next = at; next < paragraph.size();) {
        size_t wordEnd = next;
        while (wordEnd < paragraph.size() && paragraph[wordEnd] == u' ') ++wordEnd;
        while (wordEnd < paragraph.size() && paragraph[wordEnd] != u' ') ++wordEnd;
        const int32_t w = LineWidth(paragraph.substr(at, wordEnd - at));
        if (w > width && lineEnd > at) break;
        lineEnd = next = wordEnd;
        lineWidth = w;
      }
      ++lines;
      extent.Width = std::max(extent.Width, lineWidth);
      at = lineEnd;
      while (at < paragraph.size() && paragraph[at] == u' ') ++at;
    } while (at < paragraph.size());
    if (end >= text.size()) break;
    // CR LF is one break.
    if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
  extent.Height = lines * lineHeight;
  return extent;
}

// ---------------------------------------------------------------- FreeType

namespace {

constexpr int32_t kScreenDpi = 96;
constexpr int16_t kUnknownAdvance = INT16_MIN;
constexpr int8_t kUnknownKerning = INT8_MIN;

// Font units scaled to whole pixels at a size.
int32_t ScaleRound(int64_t units, int32_t ppem, int32_t unitsPerEm) {
  return static_cast<int32_t>(std::lround(static_cast<double>(units) * ppem / unitsPerEm));
}
int32_t ScaleUp(int64_t units, int32_t ppem, int32_t unitsPerEm) {
  return static_cast<int32_t>(std::ceil(static_cast<double>(units) * ppem / unitsPerEm));
}

// fontconfig's best match for a family and weight.
bool FontconfigResolve(FcConfig* config, const std::string& family, bool bold, std::string& path, int32_t& face,
                       bool& boldFace) {
  if (!config) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    face = index;
    boldFace = weight >= FC_WEIGHT_DEMIBOLD;
  }
  FcPatternDestroy(match);
  return found;
}

class TFontMeasurer final : public TTextMeasurer {
 public:
  explicit TFontMeasurer(TFontResolver resolver) : resolver_(std::move(resolver)) {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    if (!resolver_) config_ = FcInitLoadConfigAndFonts();
  }
  ~TFontMeasurer() override {
    sized_.clear();
    for (auto& [key, face] : faces_)
      if (face.face) FT_Done_Face(face.face);
    if (library_) FT_Done_FreeType(library_);
    if (config_) FcConfigDestroy(config_);
  }
  TFontMeasurer(const TFontMeasurer&) = delete;
  TFontMeasurer& operator=(const TFontMeasurer&) = delete;

  int32_t Dpi() const override { return kScreenDpi; }

  bool SetFont(std::u16string_view name, int32_t points, bool bold) override {
    if (haveLast_ && points == lastPoints_ && bold == lastBold_ && name == lastName_) return current_ != nullptr;
    haveLast_ = true;
    lastName_.assign(name);
    lastPoints_ = points;
    lastBold_ = bold;
    current_ = Find(name, points, bold);
    return current_ != nullptr;
  }

  TTextMetrics Metrics() const override { return current_ ? current_->metrics : TTextMetrics{}; }

  int32_t LineWidth(std::u16string_view text) override {
    if (!current_) return 0;
    TSized& font = *current_;
    const bool kerning = font.face->kerning;
    int32_t width = 0;
    uint32_t previous = 0;  // the previous glyph's code point, 0 for none
    for (size_t i = 0; i < text.size(); ++i) {
      uint32_t c = text[i];
      if (IsLineBreak(static_cast<char16_t>(c))) {
        previous = 0;
        continue;
      }
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      width += Advance(font, c);
      if (kerning && previous) width += Kerning(font, previous, c);
      previous = c;
    }
    return width;
  }

 private:
  struct TFace {
    FT_Face face = nullptr;
    int32_t unitsPerEm = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    bool kerning = false;
    // Glyph indexes of the first 256 code points, and of others met.
    std::array<uint32_t, 256> latin{};
    std::array<bool, 256> latinKnown{};
    std::unordered_map<uint32_t, uint32_t> others;
  };
  // One face at one pixel size, with or without emboldening.
  struct TSized {
    TFace* face = nullptr;
    int32_t ppem = 0;
    int32_t emboldening = 0;
    TTextMetrics metrics;
    std::array<int16_t, 256> latin;
    std::unordered_map<uint32_t, int32_t> others;
    // Kerning of pairs of the first 256 code points, filled as met.
    std::vector<int8_t> pairs;
  };
  struct TResolved {
    TFace* face = nullptr;
    bool emboldened = false;
  };

  uint32_t Glyph(TFace& face, uint32_t c) {
    if (c < 256) {
      if (!face.latinKnown[c]) {
        face.latin[c] = FT_Get_Char_Index(face.face, c);
        face.latinKnown[c] = true;
      }
      return face.latin[c];
    }
    auto [it, added] = face.others.try_emplace(c, 0);
    if (added) it->second = FT_Get_Char_Index(face.face, c);
    return it->second;
  }

  int32_t ScaledAdvance(TSized& font, uint32_t c) {
    FT_Fixed units = 0;
    if (FT_Get_Advance(font.face->face, Glyph(*font.face, c), FT_LOAD_NO_SCALE, &units) != 0) return 0;
    return ScaleRound(units, font.ppem, font.face->unitsPerEm) + font.emboldening;
  }

  int32_t Advance(TSized& font, uint32_t c) {
    if (c < 256) {
      int16_t& advance = font.latin[c];
      if (advance == kUnknownAdvance) advance = static_cast<int16_t>(ScaledAdvance(font, c));
      return advance;
    }
    auto [it, added] = font.others.try_emplace(c, 0);
    if (added) it->second = ScaledAdvance(font, c);
    return it->second;
  }

  int32_t ScaledKerning(TSized& font, uint32_t left, uint32_t right) {
    FT_Vector kern{};
    if (FT_Get_Kerning(font.face->face, Glyph(*font.face, left), Glyph(*font.face, right), FT_KERNING_UNSCALED,
                       &kern) != 0)
      return 0;
    return ScaleRound(kern.x, font.ppem, font.face->unitsPerEm);
  }

  int32_t Kerning(TSized& font, uint32_t left, uint32_t right) {
    if (left >= 256 || right >= 256) return ScaledKerning(font, left, right);
    if (font.pairs.empty()) font.pairs.assign(256 * 256, kUnknownKerning);
    int8_t& pair = font.pairs[left * 256 + right];
    if (pair == kUnknownKerning) pair = static_cast<int8_t>(std::clamp(ScaledKerning(font, left, right), -127, 127));
    return pair;
  }

  TFace* LoadFace(const std::string& path, int32_t index) {
    auto [it, added] = faces_.try_emplace(path + '#' + std::to_string(index));
    TFace& face = it->second;
    if (!added) return face.face ? &face : nullptr;
    FT_Face loaded = nullptr;
    if (!library_ || FT_New_Face(library_, path.c_str(), index, &loaded) != 0) return nullptr;
    if (!FT_IS_SCALABLE(loaded) || loaded->units_per_EM == 0) {
      FT_Done_Face(loaded);
      return nullptr;
    }
    face.face = loaded;
    face.unitsPerEm = loaded->units_per_EM;
    // The Windows ascent and descent bound every glyph and are what screen
    // line heights are made of; faces without them use the horizontal header.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(loaded, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      face.ascent = os2->usWinAscent;
      face.descent = os2->usWinDescent;
    } else {
      face.ascent = loaded->ascender;
      face.descent = -loaded->descender;
    }
    face.kerning = FT_HAS_KERNING(loaded);
    return &face;
  }

  TResolved Resolve(std::u16string_view name, bool bold) {
    std::u16string key(name);
    key += bold ? u"|b" : u"|r";
    auto [it, added] = resolved_.try_emplace(std::move(key));
    if (!added) return it->second;
    const std::string family = Utf16ToUtf8(name);
    std::string path;
    int32_t index = 0;
    bool boldFace = bold;
    const bool found = resolver_ ? resolver_(family, bold, path, index)
                                 : FontconfigResolve(config_, family, bold, path, index, boldFace);
    if (found) {
      it->second.face = LoadFace(path, index);
      // A family without a bold face is drawn emboldened, as wide as its
      // strokes grow.
      it->second.emboldened = bold && !boldFace;
    }
    return it->second;
  }

  TSized* Find(std::u16string_view name, int32_t points, bool bold) {
    if (points <= 0 || points > 409) return nullptr;
    const TResolved resolved = Resolve(name, bold);
    if (!resolved.face) return nullptr;
    const int32_t ppem = static_cast<int32_t>(std::lround(points * kScreenDpi / 72.0));
    auto [it, added] = sized_.try_emplace(std::make_tuple(resolved.face, ppem, resolved.emboldened));
    TSized& font = it->second;
    if (added) {
      const TFace& face = *resolved.face;
      font.face = resolved.face;
      font.ppem = ppem;
      font.emboldening = resolved.emboldened ? (ppem + 23) / 24 : 0;
      font.latin.fill(kUnknownAdvance);
      const int32_t ascent = ScaleUp(face.ascent, ppem, face.unitsPerEm);
      const int32_t descent = ScaleUp(face.descent, ppem, face.unitsPerEm);
      font.metrics.Height = ascent + descent;
      font.metrics.Descent = descent;
      font.metrics.InternalLeading = std::max(0, font.metrics.Height - ppem);
    }
    return &font;
  }

  TFontResolver resolver_;
  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
  // Faces by file and index; a face that failed to load stays as a null
  // entry so it is not tried again.
  std::unordered_map<std::string, TFace> faces_;
  std::unordered_map<std::u16string, TResolved> resolved_;
  std::map<std::tuple<TFace*, int32_t, bool>, TSized> sized_;
  // The last font asked for, so that a run of cells in one font skips the
  // lookups.
  bool haveLast_ = false;
  std::u16string lastName_;
  int32_t lastPoints_ = 0;
  bool lastBold_ = false;
  TSized* current_ = nullptr;
};

}  // namespace

std::unique_ptr<TTextMeasurer> CreateFontMeasurer(TFontResolver resolver) {
  return std::make_unique<TFontMeasurer>(std::move(resolver));
}

TTextMeasurer& ScreenMeasurer() {
  // One per thread: workbooks on different threads share no caches.
  thread_local const std::unique_ptr<TTextMeasurer> measurer = CreateFontMeasurer();
  return *measurer;
}

}  // namespace lx

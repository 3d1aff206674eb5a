// Font, borders and interior (fill) of a range.
//
// Four small reference-counted objects give access to the font, the cell
// borders and the fill of a range in the manner of an automation model. The
// range creates them fresh (its Font, Borders and Interior slots; Item of the
// borders object for one edge); each keeps a reference to its range and no
// state of its own. Every property read looks at the effective format of the
// range's top-left cell (edges also at the neighbouring cells, since a line
// between two cells may be stored on either side); every property write is a
// format change of the cells: fonts and fills go through the range's
// ApplyFormatChange (lxRange.h) with one attribute write of the format list
// (lxFormat.h), borders through the border walk below, which writes chosen
// sides of chosen cells and clears the facing sides of the neighbouring cells
// so that a new line is not drawn next to an old one.
//
// Colours at these interfaces are RGB values 0x00BBGGRR or colour indexes
// 1..56 of the workbook palette, with -4142 for none and -4105 for automatic.
// Every colour write turns an RGB value into the nearest palette index.
#pragma once

#include <cstdint>

#include "lxObject.h"
#include "lxRange.h"
#include "lxText.h"

namespace lx {

// ---------------------------------------------------------------- interfaces
//
// The range's Font, Borders and Interior slots hand these out (lxHandle.h
// declares the names; the operations follow the counting slots in slot
// order).

// The font of a range's cells. Reads look at the top-left cell; writes change every cell of the range.
class IXLSFont : public IXLSUnknown {
 public:
  // The font's name ("Arial").
  virtual WideString Name() = 0;  // 3
  // The size in points.
  virtual double Size() = 0;  // 4 points
  // The colour as a palette index 1..56, or xlAutomatic.
  virtual int32_t ColorIndex() = 0;  // 5
  // The colour as RGB 0x00BBGGRR.
  virtual uint32_t Color() = 0;  // 6
  // Whether the text is bold.
  virtual bool Bold() = 0;  // 7
  // Whether the text is italic.
  virtual bool Italic() = 0;  // 8
  // Whether the text is struck through.
  virtual bool Strikethrough() = 0;  // 9
  // Whether the glyphs are drawn as outlines.
  virtual bool OutlineFont() = 0;  // 10
  // Whether the text has a shadow.
  virtual bool Shadow() = 0;  // 11
  // The underline: xlNone or an xlUnderlineStyle constant.
  virtual int32_t Underline() = 0;  // 12
  // Whether the text is subscript.
  virtual bool Subscript() = 0;  // 13
  // Whether the text is superscript.
  virtual bool Superscript() = 0;  // 14
  // The character set.
  virtual uint8_t Charset() = 0;  // 15
  // The font family.
  virtual uint8_t FontFamily() = 0;  // 16
  // Sets the size in points.
  virtual void SetSize(float points) = 0;  // 17
  // Sets the colour by palette index (1..56) or xlAutomatic.
  virtual void SetColorIndex(int32_t value) = 0;  // 18
  // Sets the colour by RGB; stored as the nearest palette colour.
  virtual void SetColor(uint32_t rgb) = 0;  // 19
  // Makes the text bold or normal.
  virtual void SetBold(bool value) = 0;  // 20
  // Makes the text italic or upright.
  virtual void SetItalic(bool value) = 0;  // 21
  // Strikes the text through or not.
  virtual void SetStrikethrough(bool value) = 0;  // 22
  // Draws the glyphs as outlines or not.
  virtual void SetOutlineFont(bool value) = 0;  // 23
  // Gives the text a shadow or not.
  virtual void SetShadow(bool value) = 0;  // 24
  // Sets the underline: xlNone or an xlUnderlineStyle constant.
  virtual void SetUnderline(int32_t value) = 0;  // 25
  // Makes the text subscript or not.
  virtual void SetSubscript(bool value) = 0;  // 26
  // Makes the text superscript or not.
  virtual void SetSuperscript(bool value) = 0;  // 27
  // Sets the font's name.
  virtual void SetName(const WideString& name) = 0;  // 28
  // Sets the character set.
  virtual void SetCharset(uint8_t value) = 0;  // 29
  // Sets the font family.
  virtual void SetFontFamily(uint8_t value) = 0;  // 30

 protected:
  ~IXLSFont() = default;
};

// One edge of the borders of a range.
class IXLSBorder : public IXLSUnknown {
 public:
  // The line colour as RGB 0x00BBGGRR.
  virtual uint32_t Color() = 0;  // 3
  // The line colour as a palette index 1..56, or xlAutomatic.
  virtual int32_t ColorIndex() = 0;  // 4
  // The line style: xlNone or a line-style constant (xlContinuous, xlDash, ...).
  virtual int32_t LineStyle() = 0;  // 5
  // Sets the line colour by RGB; stored as the nearest palette colour.
  virtual void SetColor(uint32_t rgb) = 0;  // 6
  // Sets the line colour by palette index or xlAutomatic.
  virtual void SetColorIndex(int32_t value) = 0;  // 7
  // Sets the line style (xlNone removes the line).
  virtual void SetLineStyle(int32_t value) = 0;  // 8
  // The line weight: xlHairline, xlThin, xlMedium or xlThick.
  virtual int32_t Weight() = 0;  // 9
  // Sets the line weight: xlHairline, xlThin, xlMedium or xlThick.
  virtual void SetWeight(int32_t value) = 0;  // 10

 protected:
  ~IXLSBorder() = default;
};

// The borders of a range's cells: all edges at once, or one edge through Item. Reads look at the top edge of the
// top-left cell; writes change every side of every cell.
class IXLSBorders : public IXLSUnknown {
 public:
  // The line colour of the top edge as RGB.
  virtual uint32_t Color() = 0;  // 3 of the top edge
  // The line colour of the top edge as a palette index.
  virtual int32_t ColorIndex() = 0;  // 4
  // The line style of the top edge.
  virtual int32_t LineStyle() = 0;  // 5
  // Sets the line colour of every side of every cell by RGB.
  virtual void SetColor(uint32_t rgb) = 0;  // 6 all sides of every cell
  // Sets the line colour of every side of every cell by palette index.
  virtual void SetColorIndex(int32_t value) = 0;  // 7
  // Sets the line style of every side of every cell.
  virtual void SetLineStyle(int32_t value) = 0;  // 8
  // The line weight of the top edge.
  virtual int32_t Weight() = 0;  // 9
  // Sets the line weight of every side of every cell.
  virtual void SetWeight(int32_t value) = 0;  // 10
  // One edge: an xlEdge, xlInside or xlDiagonal constant, or xlAround; a new object each time.
  virtual XLSPtr<IXLSBorder> Item(int32_t edge) = 0;  // 11

 protected:
  ~IXLSBorders() = default;
};

// The fill of a range's cells: a pattern, its colour and the background colour. Reads look at the top-left cell; writes
// change every cell.
class IXLSInterior : public IXLSUnknown {
 public:
  // Sets the background colour by RGB; stored as the nearest palette colour.
  virtual void SetColor(uint32_t rgb) = 0;  // 3
  // The background colour as RGB.
  virtual uint32_t Color() = 0;  // 4
  // Sets the pattern colour by RGB.
  virtual void SetPatternColor(uint32_t rgb) = 0;  // 5
  // The pattern colour as RGB.
  virtual uint32_t PatternColor() = 0;  // 6
  // Sets the background colour by palette index, xlNone (no fill) or xlAutomatic.
  virtual void SetColorIndex(int32_t value) = 0;  // 7
  // Sets the pattern colour by palette index or xlAutomatic.
  virtual void SetPatternColorIndex(int32_t value) = 0;  // 8
  // Sets the pattern: xlNone, xlSolid, a pattern constant or a pattern number.
  virtual void SetPattern(int32_t value) = 0;  // 9
  // The background colour as a palette index, or xlNone.
  virtual int32_t ColorIndex() = 0;  // 10
  // The pattern colour as a palette index.
  virtual int32_t PatternColorIndex() = 0;  // 11
  // The pattern.
  virtual int32_t Pattern() = 0;  // 12

 protected:
  ~IXLSInterior() = default;
};

// Names the interfaces had before the range handed the objects out.
using IXLSFontSlots = IXLSFont;
using IXLSBordersSlots = IXLSBorders;    // The borders interface under its earlier name.
using IXLSInteriorSlots = IXLSInterior;  // The fill interface under its earlier name.

// ---------------------------------------------------------------- objects

// The objects hold a counted reference to the range they were made for.
class TXLSStyleObject {
 protected:
  explicit TXLSStyleObject(TXLSRange* range);
  ~TXLSStyleObject();
  TXLSRange& Range() const { return *range_; }

 private:
  TXLSRange* range_;
  XLSPtr<IXLSRange> hold_;
};

class TXLSFont final : public TXLSInterfaced<IXLSFont>, private TXLSStyleObject {
 public:
  explicit TXLSFont(TXLSRange* range);
  static XLSPtr<IXLSFont> Create(TXLSRange* range);

  WideString Name() override { return Range().FontName(); }
  double Size() override { return Range().FontSize(); }
  int32_t ColorIndex() override { return Range().FontColorIndex(); }
  uint32_t Color() override { return Range().FontColor(); }
  bool Bold() override { return Range().FontBold(); }
  bool Italic() override { return Range().FontItalic(); }
  bool Strikethrough() override { return Range().FontStrikethrough(); }
  bool OutlineFont() override { return Range().FontOutline(); }
  bool Shadow() override { return Range().FontShadow(); }
  int32_t Underline() override { return Range().FontUnderline(); }
  bool Subscript() override { return Range().FontSubscript(); }
  bool Superscript() override { return Range().FontSuperscript(); }
  uint8_t Charset() override { return Range().FontCharset(); }
  uint8_t FontFamily() override { return Range().FontFamily(); }
  void SetSize(float points) override { Range().SetFontSize(points); }
  void SetColorIndex(int32_t value) override { Range().SetFontColorIndex(value); }
  void SetColor(uint32_t rgb) override { Range().SetFontColor(rgb); }
  void SetBold(bool value) override { Range().SetFontBold(value); }
  void SetItalic(bool value) override { Range().SetFontItalic(value); }
  void SetStrikethrough(bool value) override { Range().SetFontStrikethrough(value); }
  void SetOutlineFont(bool value) override { Range().SetFontOutline(value); }
  void SetShadow(bool value) override { Range().SetFontShadow(value); }
  void SetUnderline(int32_t value) override { Range().SetFontUnderline(value); }
  void SetSubscript(bool value) override { Range().SetFontSubscript(value); }
  void SetSuperscript(bool value) override { Range().SetFontSuperscript(value); }
  void SetName(const WideString& name) override { Range().SetFontName(name); }
  void SetCharset(uint8_t value) override { Range().SetFontCharset(value); }
  void SetFontFamily(uint8_t value) override { Range().SetFontFamily(value); }
};

// One edge. Edges outside 5..14 read as no line and write nothing.
class TXLSBorder final : public TXLSInterfaced<IXLSBorder>, private TXLSStyleObject {
 public:
  TXLSBorder(TXLSRange* range, int32_t edge);
  static XLSPtr<IXLSBorder> Create(TXLSRange* range, int32_t edge);

  uint32_t Color() override;
  int32_t ColorIndex() override;
  int32_t LineStyle() override;
  void SetColor(uint32_t rgb) override;
  void SetColorIndex(int32_t value) override;
  void SetLineStyle(int32_t value) override;
  int32_t Weight() override;
  void SetWeight(int32_t value) override;

 private:
  int32_t edge_;
};

// All borders: reads give the top edge, writes set all four sides of every
// cell of the range.
class TXLSBorders final : public TXLSInterfaced<IXLSBorders>, private TXLSStyleObject {
 public:
  explicit TXLSBorders(TXLSRange* range);
  static XLSPtr<IXLSBorders> Create(TXLSRange* range);

  uint32_t Color() override;
  int32_t ColorIndex() override;
  int32_t LineStyle() override;
  void SetColor(uint32_t rgb) override;
  void SetColorIndex(int32_t value) override;
  void SetLineStyle(int32_t value) override;
  int32_t Weight() override;
  void SetWeight(int32_t value) override;
  XLSPtr<IXLSBorder> Item(int32_t edge) override;
};

class TXLSInterior final : public TXLSInterfaced<IXLSInterior>, private TXLSStyleObject {
 public:
  explicit TXLSInterior(TXLSRange* range);
  static XLSPtr<IXLSInterior> Create(TXLSRange* range);

  void SetColor(uint32_t rgb) override;
  uint32_t Color() override;
  void SetPatternColor(uint32_t rgb) override;
  uint32_t PatternColor() override;
  void SetColorIndex(int32_t value) override;
  void SetPatternColorIndex(int32_t value) override;
  void SetPattern(int32_t value) override;
  int32_t ColorIndex() override;
  int32_t PatternColorIndex() override;
  int32_t Pattern() override;
};

}  // namespace lx

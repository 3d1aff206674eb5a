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

class IXLSFont : public IXLSUnknown {
 public:
  virtual WideString Name() = 0;                     // 3
  virtual double Size() = 0;                         // 4 points
  virtual int32_t ColorIndex() = 0;                  // 5
  virtual uint32_t Color() = 0;                      // 6
  virtual bool Bold() = 0;                           // 7
  virtual bool Italic() = 0;                         // 8
  virtual bool Strikethrough() = 0;                  // 9
  virtual bool OutlineFont() = 0;                    // 10
  virtual bool Shadow() = 0;                         // 11
  virtual int32_t Underline() = 0;                   // 12
  virtual bool Subscript() = 0;                      // 13
  virtual bool Superscript() = 0;                    // 14
  virtual uint8_t Charset() = 0;                     // 15
  virtual uint8_t FontFamily() = 0;                  // 16
  virtual void SetSize(float points) = 0;            // 17
  virtual void SetColorIndex(int32_t value) = 0;     // 18
  virtual void SetColor(uint32_t rgb) = 0;           // 19
  virtual void SetBold(bool value) = 0;              // 20
  virtual void SetItalic(bool value) = 0;            // 21
  virtual void SetStrikethrough(bool value) = 0;     // 22
  virtual void SetOutlineFont(bool value) = 0;       // 23
  virtual void SetShadow(bool value) = 0;            // 24
  virtual void SetUnderline(int32_t value) = 0;      // 25
  virtual void SetSubscript(bool value) = 0;         // 26
  virtual void SetSuperscript(bool value) = 0;       // 27
  virtual void SetName(const WideString& name) = 0;  // 28
  virtual void SetCharset(uint8_t value) = 0;        // 29
  virtual void SetFontFamily(uint8_t value) = 0;     // 30

 protected:
  ~IXLSFont() = default;
};

// One edge of the borders of a range.
class IXLSBorder : public IXLSUnknown {
 public:
  virtual uint32_t Color() = 0;                   // 3
  virtual int32_t ColorIndex() = 0;               // 4
  virtual int32_t LineStyle() = 0;                // 5
  virtual void SetColor(uint32_t rgb) = 0;        // 6
  virtual void SetColorIndex(int32_t value) = 0;  // 7
  virtual void SetLineStyle(int32_t value) = 0;   // 8
  virtual int32_t Weight() = 0;                   // 9
  virtual void SetWeight(int32_t value) = 0;      // 10

 protected:
  ~IXLSBorder() = default;
};

class IXLSBorders : public IXLSUnknown {
 public:
  virtual uint32_t Color() = 0;                       // 3 of the top edge
  virtual int32_t ColorIndex() = 0;                   // 4
  virtual int32_t LineStyle() = 0;                    // 5
  virtual void SetColor(uint32_t rgb) = 0;            // 6 all sides of every cell
  virtual void SetColorIndex(int32_t value) = 0;      // 7
  virtual void SetLineStyle(int32_t value) = 0;       // 8
  virtual int32_t Weight() = 0;                       // 9
  virtual void SetWeight(int32_t value) = 0;          // 10
  virtual XLSPtr<IXLSBorder> Item(int32_t edge) = 0;  // 11

 protected:
  ~IXLSBorders() = default;
};

class IXLSInterior : public IXLSUnknown {
 public:
  virtual void SetColor(uint32_t rgb) = 0;               // 3
  virtual uint32_t Color() = 0;                          // 4
  virtual void SetPatternColor(uint32_t rgb) = 0;        // 5
  virtual uint32_t PatternColor() = 0;                   // 6
  virtual void SetColorIndex(int32_t value) = 0;         // 7
  virtual void SetPatternColorIndex(int32_t value) = 0;  // 8
  virtual void SetPattern(int32_t value) = 0;            // 9
  virtual int32_t ColorIndex() = 0;                      // 10
  virtual int32_t PatternColorIndex() = 0;               // 11
  virtual int32_t Pattern() = 0;                         // 12

 protected:
  ~IXLSInterior() = default;
};

// Names the interfaces had before the range handed the objects out.
using IXLSFontSlots = IXLSFont;
using IXLSBordersSlots = IXLSBorders;
using IXLSInteriorSlots = IXLSInterior;

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

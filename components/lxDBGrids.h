// The data-aware grid as the export components see it.
//
// A grid shows its data source's dataset in columns. The grid export walks
// the columns in display order, hidden ones included, and takes from each
// its field, width in pixels, font, colour and alignment, and from its title
// the caption, font, colour and alignment. This unit holds that model of a
// grid; drawing it on screen is the programs' business.
//
// Column properties follow the framework's defaulting rule: a property that
// was never set follows its source (the column font follows the grid font,
// the title caption the field's display label, the column alignment the
// field's alignment), and setting it fixes it for that column. A grid
// without columns of its own shows one default column per dataset field,
// rebuilt when the dataset's fields change; adding a column makes the
// columns the grid's own, clearing them returns to the default columns.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lxClasses.h"
#include "lxDB.h"
#include "lxGraphics.h"

namespace lx {

class TColumn;
class TDBGrid;

// The title cell of a grid column: caption, font, colour and alignment, each falling back to a default until set.
class TColumnTitle {
 public:
  // The title of column (not owned; the column owns the title).
  explicit TColumnTitle(const TColumn* column) : column_(column) {}

  // The field's display label, or the column's field name without a field.
  std::string Caption() const;
  // Sets the caption.
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // The grid's title font.
  const TFont& Font() const;
  // Sets the title's own font.
  void SetFont(const TFont& font) { font_ = font; }
  // clBtnFace.
  TColor Color() const { return color_.value_or(clBtnFace); }
  // Sets the title's fill colour.
  void SetColor(TColor color) { color_ = color; }
  // Left.
  TAlignment Alignment() const { return alignment_.value_or(taLeftJustify); }
  // Sets the title's alignment.
  void SetAlignment(TAlignment alignment) { alignment_ = alignment; }

 private:
  const TColumn* column_;  // the column this title belongs to
  std::optional<std::string> caption_;
  std::optional<TFont> font_;
  std::optional<TColor> color_;
  std::optional<TAlignment> alignment_;
};

// A column of a data-aware grid: the field it shows and how (visibility, width, font, colour, alignment), each falling
// back to the grid's or the field's setting until set.
class TColumn {
 public:
  // A column of grid (not owned; the grid owns its columns) showing the field of that name.
  TColumn(TDBGrid* grid, std::string fieldName);
  TColumn(const TColumn&) = delete;
  TColumn& operator=(const TColumn&) = delete;

  // The grid that owns the column.
  TDBGrid* Grid() const { return grid_; }
  // Position in the grid's columns, 0-based.
  int Index() const;

  // The name of the field shown.
  const std::string& FieldName() const { return fieldName_; }
  // Sets the name of the field shown.
  void SetFieldName(std::string fieldName) { fieldName_ = std::move(fieldName); }
  // The field of that name in the grid's dataset; nullptr when the grid has
  // no dataset, the name is empty or the dataset has no such field.
  TField* Field() const;
  // The field name, or "TColumn" for a column without one.
  std::string DisplayName() const;

  // Whether the column is shown (and exported).
  bool Visible() const { return visible_; }
  // Shows or hides the column.
  void SetVisible(bool visible) { visible_ = visible; }
  // In screen pixels; by default wide enough for the field's display width
  // (or the title) in the column font, plus a margin.
  int Width() const;
  // Sets the width in screen pixels.
  void SetWidth(int pixels) { width_ = pixels; }
  // The grid's font.
  const TFont& Font() const;
  // Sets the column's own font.
  void SetFont(const TFont& font) { font_ = font; }
  // The grid's colour.
  TColor Color() const;
  // Sets the column's own fill colour.
  void SetColor(TColor color) { color_ = color; }
  // The field's alignment; left without a field.
  TAlignment Alignment() const;
  // Sets the column's own alignment.
  void SetAlignment(TAlignment alignment) { alignment_ = alignment; }

  // The column's title (owned by the column).
  TColumnTitle& Title() { return title_; }
  // The column's title (owned by the column).
  const TColumnTitle& Title() const { return title_; }

 private:
  TDBGrid* grid_;  // the owning grid
  std::string fieldName_;
  bool visible_ = true;
  std::optional<int> width_;
  std::optional<TFont> font_;
  std::optional<TColor> color_;
  std::optional<TAlignment> alignment_;
  TColumnTitle title_;
};

// The columns of a grid: one default column per field of the dataset, or the columns added to it. The collection owns
// its columns.
class TDBGridColumns {
 public:
  // The columns of grid (not owned; the grid owns the collection).
  explicit TDBGridColumns(TDBGrid* grid) : grid_(grid) {}

  // The number of columns.
  int Count() const;
  // Raises EListError outside 0..Count-1.
  TColumn* Items(int index) const;
  // As Items.
  TColumn* operator[](int index) const { return Items(index); }
  // Appends a column of the grid's own (dropping the default columns).
  TColumn* Add(std::string fieldName = {});
  // Drops the grid's own columns; the default columns return.
  void Clear();
  // True while the grid shows one default column per field.
  bool IsDefault() const { return !customized_; }
  // The 0-based position of a column, or -1.
  int IndexOf(const TColumn* column) const;

 private:
  void Sync() const;

  TDBGrid* grid_;  // the owning grid
  bool customized_ = false;
  // The default columns are rebuilt lazily when the dataset's fields change.
  mutable std::vector<std::unique_ptr<TColumn>> items_;
  mutable std::vector<std::string> defaultNames_;
};

// A data-aware grid as the exporter sees it: a data source, columns, fonts and colour. It shows nothing by itself;
// programs draw it.
class TDBGrid : public TComponent {
 public:
  TDBGrid();
  ~TDBGrid() override;

  // The data source (not owned), or null.
  TDataSource* DataSource() const { return dataSource_; }
  // Sets the data source (not owned; forgotten when it is destroyed).
  void SetDataSource(TDataSource* dataSource);
  // The data source's dataset; nullptr without one.
  TDataSet* DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

  // The columns (owned by the grid).
  TDBGridColumns& Columns() { return columns_; }
  // The columns (owned by the grid).
  const TDBGridColumns& Columns() const { return columns_; }

  // MS Sans Serif 8 pt in window text, the framework's dialog font.
  const TFont& Font() const { return font_; }
  // Sets the grid's font.
  void SetFont(const TFont& font) { font_ = font; }
  // The font of the column titles.
  const TFont& TitleFont() const { return titleFont_; }
  // Sets the font of the column titles.
  void SetTitleFont(const TFont& font) { titleFont_ = font; }
  // clWindow.
  TColor Color() const { return color_; }
  // Sets the grid's fill colour.
  void SetColor(TColor color) { color_ = color; }

 protected:
  // Forgets the data source when it is destroyed.
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TDataSource* dataSource_ = nullptr;  // not owned; cleared when it is destroyed
  TFont font_;
  TFont titleFont_;
  TColor color_ = clWindow;
  TDBGridColumns columns_;
};

}  // namespace lx

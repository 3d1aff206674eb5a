// A Qt item model over a data-aware grid of the component framework.
//
// The programs keep their grids as lxDBGrids.h objects, because those are
// what the export components read: columns with field, width, font, colour
// and alignment, titles with caption, font and alignment, and the dataset
// behind the grid's data source. TDBGridModel shows exactly those objects in
// a QTableView, so the window and the exported file cannot disagree about
// which columns exist or how they are titled. Model columns are the grid's
// visible columns in display order; rows are the dataset's records.
//
// The model reads every record's display texts once (a few thousand rows)
// and again whenever the data source reports a change, so painting never
// moves the dataset's cursor. The grid and its data source must outlive the
// model.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>
#include <vector>

#include "lxDBGrids.h"
#include "lxGraphics.h"

namespace lx {

// Framework values as Qt sees them. Colours clNone and clDefault give an
// invalid QColor (the view's own colour is used).
QFont ToQFont(const TFont& font);
QColor ToQColor(TColor color);
Qt::Alignment ToQtAlignment(TAlignment alignment);
// An 8-bit text of the framework, in the system code page.
QString AnsiToQString(const std::string& text);

class TDBGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TDBGridModel(TDBGrid& grid, QObject* parent = nullptr);
  ~TDBGridModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The grid column shown as model column `column`; nullptr outside.
  TColumn* GridColumn(int column) const;
  // Reads the columns and the records again.
  void Refresh();

 private:
  // Fills columns and texts from the grid and its dataset, restoring the
  // dataset's cursor afterwards.
  void Load(std::vector<TColumn*>& columns, std::vector<QString>& texts);

  TDBGrid& grid_;
  TDataSource* source_;            // the data source listened to; not owned
  std::vector<TColumn*> columns_;  // visible columns, owned by the grid
  std::vector<QString> texts_;     // display texts, row by row
  bool loading_ = false;           // Load's own cursor moves are not changes
};

}  // namespace lx

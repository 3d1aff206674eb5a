#include "DBGridModel.h"

#include "lxCodePage.h"

namespace lx {

QFont ToQFont(const TFont& font) {
  QFont result(QString::fromStdString(font.Name()));
  // Desktop font names of other systems rarely exist here; the hint lets
  // the font matcher pick a sans-serif face of the same size instead.
  result.setStyleHint(QFont::SansSerif);
  result.setPointSize(font.Size());
  result.setBold(font.Style().Contains(fsBold));
  result.setItalic(font.Style().Contains(fsItalic));
  result.setUnderline(font.Style().Contains(fsUnderline));
  result.setStrikeOut(font.Style().Contains(fsStrikeOut));
  return result;
}

QColor ToQColor(TColor color) {
  if (color == clNone || color == clDefault) return QColor();
  const uint32_t rgb = ColorToRGB(color);
  return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>((rgb >> 16) & 0xFF));
}

Qt::Alignment ToQtAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QString AnsiToQString(const std::string& text) { return QString::fromStdU16String(AnsiToWide(text)); }

TDBGridModel::TDBGridModel(TDBGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), source_(grid.DataSource()) {
  Load(columns_, texts_);
  if (source_) source_->OnDataChange = [this] { Refresh(); };
}

TDBGridModel::~TDBGridModel() {
  if (source_) source_->OnDataChange = nullptr;
}

int TDBGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || columns_.empty()) return 0;
  return static_cast<int>(texts_.size() / columns_.size());
}

int TDBGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

TColumn* TDBGridModel::GridColumn(int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return nullptr;
  return columns_[static_cast<size_t>(column)];
}

QVariant TDBGridModel::data(const QModelIndex& index, int role) const {
  const TColumn* column = GridColumn(index.column());
  if (!index.isValid() || !column || index.row() >= rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return texts_[static_cast<size_t>(index.row()) * columns_.size() + static_cast<size_t>(index.column())];
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ToQtAlignment(column->Alignment()));
    case Qt::FontRole:
      return ToQFont(column->Font());
    case Qt::ForegroundRole: {
      const QColor color = ToQColor(column->Font().Color());
      return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::BackgroundRole: {
      const QColor color = ToQColor(column->Color());
      return color.isValid() ? QVariant(color) : QVariant();
    }
    default:
      return {};
  }
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
  const TColumn* column = GridColumn(section);
  if (!column) return {};
  switch (role) {
    case Qt::DisplayRole:
      return AnsiToQString(column->Title().Caption());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ToQtAlignment(column->Title().Alignment()));
    case Qt::FontRole:
      return ToQFont(column->Title().Font());
    default:
      return {};
  }
}

void TDBGridModel::Refresh() {
  if (loading_) return;
  std::vector<TColumn*> columns;
  std::vector<QString> texts;
  Load(columns, texts);
  if (columns == columns_ && texts.size() == texts_.size()) {
    texts_.swap(texts);
    if (!columns_.empty() && !texts_.empty()) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    return;
  }
  beginResetModel();
  columns_.swap(columns);
  texts_.swap(texts);
  endResetModel();
}

void TDBGridModel::Load(std::vector<TColumn*>& columns, std::vector<QString>& texts) {
  columns.clear();
  texts.clear();
  for (int i = 0; i < grid_.Columns().Count(); ++i)
    if (grid_.Columns()[i]->Visible()) columns.push_back(grid_.Columns()[i]);
  TDataSet* dataSet = grid_.DataSet();
  if (!dataSet || !dataSet->Active() || columns.empty()) return;

  // Walking the records moves the cursor; the walk is not a change the
  // model should hear, and the cursor goes back where it was.
  loading_ = true;
  dataSet->DisableControls();
  TBookmark bookmark = dataSet->GetBookmark();
  texts.reserve(static_cast<size_t>(dataSet->RecordCount()) * columns.size());
  for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
    for (const TColumn* column : columns) {
      const TField* field = column->Field();
      if (!field || field->IsNull()) {
        texts.emplace_back();
      } else if (field->Value().VarType() == varOleStr) {
        // Texts are shown as stored; the 8-bit display text would lose
        // what the code page cannot hold.
        texts.push_back(QString::fromStdU16String(field->AsWideString()));
      } else {
        texts.push_back(AnsiToQString(field->DisplayText()));
      }
    }
  }
  dataSet->GotoBookmark(bookmark);
  dataSet->FreeBookmark(bookmark);
  dataSet->EnableControls();
  loading_ = false;
}

}  // namespace lx

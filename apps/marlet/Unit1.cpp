#include "Unit1.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>
#include <exception>

#include "lxConstants.h"

namespace lx::marlet {

namespace {

const QStringList kSaveFilters = {QStringLiteral("Excel file (*.xls)"), QStringLiteral("HTML file (*.html)")};

// "HTML file (*.html)" -> "html".
QString FilterExtension(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)\\)"));
  const QRegularExpressionMatch match = pattern.match(filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

TForm1::TForm1(TMarletData& data, QWidget* parent)
    : QWidget(parent),
      data_(data),
      model_(std::make_unique<TDBGridModel>(data.DBGrid1())),
      grid_(new QTableView(this)),
      panel_(new QWidget(this)),
      button_(new QPushButton(QStringLiteral("Export Data ..."), panel_)),
      saveDialog_(new QFileDialog(this)) {
  setWindowTitle(QStringLiteral("Marlet"));
  setFont(ToQFont(TFont()));  // the framework's dialog font
  resize(kClientWidth, kClientHeight);
  // Centred on the screen the window opens on.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }

  grid_->setModel(model_.get());
  grid_->setFont(ToQFont(data.DBGrid1().Font()));
  grid_->horizontalHeader()->setFont(ToQFont(data.DBGrid1().TitleFont()));
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setMinimumSectionSize(1);
  grid_->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid_->font()).height() + 4);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  ApplyColumnWidths();
  // Columns without a designed width take their field's, known only once
  // the dataset is open: the widths follow every reload of the grid.
  connect(model_.get(), &QAbstractItemModel::modelReset, this, &TForm1::ApplyColumnWidths);

  // A flat panel: no bevel.
  button_->setGeometry(kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight);
  connect(button_, &QPushButton::clicked, this, &TForm1::Button1Click);
  Layout();

  saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
  saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
  saveDialog_->setFileMode(QFileDialog::AnyFile);
  saveDialog_->setNameFilters(kSaveFilters);
  saveDialog_->setDefaultSuffix(QStringLiteral("xls"));
  saveDialog_->setDirectory(QStringLiteral("."));
  saveDialog_->selectFile(QStringLiteral("Export1"));
  connect(saveDialog_, &QFileDialog::filterSelected, saveDialog_, [this](const QString& filter) {
    const QString extension = FilterExtension(filter);
    if (!extension.isEmpty()) saveDialog_->setDefaultSuffix(extension);
  });
}

TForm1::~TForm1() = default;

void TForm1::ApplyColumnWidths() {
  for (int i = 0; i < model_->columnCount(); ++i)
    grid_->horizontalHeader()->resizeSection(i, model_->GridColumn(i)->Width());
}

void TForm1::Layout() {
  panel_->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight);
  grid_->setGeometry(0, 0, width(), height() - kPanelHeight);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void TForm1::Button1Click() {
  if (saveDialog_->exec() != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty()) return;
  const QString fileName = saveDialog_->selectedFiles().constFirst();

  button_->setEnabled(false);
  int32_t result = kResultFail;
  try {
    result = data_.ExportCustomers(fileName.toStdU16String());
  } catch (const std::exception& error) {
    data_.DataToXLS1().SetWorkbook(nullptr);
    button_->setEnabled(true);
    QMessageBox::critical(this, windowTitle(), QString::fromLocal8Bit(error.what()));
    return;
  }
  button_->setEnabled(true);
  if (result != kResultOk) {
    // Offering to open a file that was not written (or an older file of the
    // same name) would mislead; say what happened instead.
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("%1 was not written: %2 (result %3).")
                             .arg(QDir::toNativeSeparators(fileName), QString::fromStdString(ExportResultText(result)),
                                  QString::number(result)));
    return;
  }
  if (QMessageBox::question(this, QStringLiteral("Confirm"), QStringLiteral("Open generated file?"),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
    return;
  const QString path = QFileInfo(fileName).absoluteFilePath();
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("No application could open %1.").arg(QDir::toNativeSeparators(path)));
}

}  // namespace lx::marlet

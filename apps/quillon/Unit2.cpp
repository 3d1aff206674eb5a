#include "Unit2.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>
#include <exception>

#include "lxConstants.h"

namespace lx {

namespace {

const QStringList kSaveFilters = {QStringLiteral("Excel file (*.xls)"), QStringLiteral("HTML file (*.html)"),
                                  QStringLiteral("RTF file (*.rtf)")};

// "HTML file (*.html)" -> "html"; empty when the filter has no single
// extension.
QString FilterExtension(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)\\)"));
  const QRegularExpressionMatch match = pattern.match(filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

// Re-enables a button when the handler leaves, however it leaves.
class TEnableOnExit {
 public:
  explicit TEnableOnExit(QPushButton* button) : button_(button) { button_->setEnabled(false); }
  ~TEnableOnExit() { button_->setEnabled(true); }
  TEnableOnExit(const TEnableOnExit&) = delete;
  TEnableOnExit& operator=(const TEnableOnExit&) = delete;

 private:
  QPushButton* button_;
};

}  // namespace

TForm1::TForm1(TQuillonData& data, QWidget* parent)
    : QWidget(parent),
      data_(data),
      model_(std::make_unique<TDBGridModel>(data.DBGrid1())),
      grid_(new QTableView(this)),
      button_(new QPushButton(QStringLiteral("Export to ..."), this)),
      saveDialog_(new QFileDialog(this)) {
  setWindowTitle(QStringLiteral("Quillon"));
  setFont(ToQFont(TFont()));  // the framework's dialog font
  setGeometry(kQuillonLeft, kQuillonTop, kQuillonWidth, kQuillonHeight);

  grid_->setModel(model_.get());
  grid_->setFont(ToQFont(data.DBGrid1().Font()));
  grid_->verticalHeader()->hide();
  // Rows as tight as a data grid's: the text height and a small margin.
  grid_->verticalHeader()->setMinimumSectionSize(1);
  grid_->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid_->font()).height() + 4);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  for (int i = 0; i < model_->columnCount(); ++i)
    grid_->horizontalHeader()->resizeSection(i, model_->GridColumn(i)->Width());
  grid_->setGeometry(0, 0, width(), kQuillonGridHeight);

  button_->setGeometry(kQuillonButtonLeft, kQuillonButtonTop, kQuillonButtonWidth, kQuillonButtonHeight);
  connect(button_, &QPushButton::clicked, this, &TForm1::Button1Click);

  saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
  saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
  saveDialog_->setFileMode(QFileDialog::AnyFile);
  saveDialog_->setNameFilters(kSaveFilters);
  saveDialog_->setDefaultSuffix(QStringLiteral("xls"));
  saveDialog_->setDirectory(QStringLiteral("."));
  saveDialog_->selectFile(QStringLiteral("Export2"));
  // A name typed without an extension takes the one of the chosen filter.
  connect(saveDialog_, &QFileDialog::filterSelected, saveDialog_, [this](const QString& filter) {
    const QString extension = FilterExtension(filter);
    if (!extension.isEmpty()) saveDialog_->setDefaultSuffix(extension);
  });
}

TForm1::~TForm1() = default;

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  grid_->setGeometry(0, 0, width(), kQuillonGridHeight);
}

void TForm1::Button1Click() {
  if (saveDialog_->exec() != QDialog::Accepted || saveDialog_->selectedFiles().isEmpty()) return;
  const QString fileName = saveDialog_->selectedFiles().constFirst();

  TEnableOnExit enableAgain(button_);
  int32_t result = kResultFail;
  try {
    result = data_.ExportOrders(fileName.toStdU16String());
  } catch (const std::exception& error) {
    QMessageBox::critical(this, windowTitle(), QString::fromLocal8Bit(error.what()));
    return;
  }
  if (result != kResultOk) {
    // Offering to open a file that was not written (or an older file of the
    // same name) would mislead; say what happened instead.
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("%1 was not written: %2 (result %3).")
                             .arg(QDir::toNativeSeparators(fileName), QString::fromStdString(QuillonResultText(result)),
                                  QString::number(result)));
    return;
  }
  OfferToOpen(fileName);
}

void TForm1::OfferToOpen(const QString& fileName) {
  if (QMessageBox::question(this, QStringLiteral("Confirm"), QStringLiteral("Open generated file?"),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
    return;
  const QString path = QFileInfo(fileName).absoluteFilePath();
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("No application could open %1.").arg(QDir::toNativeSeparators(path)));
}

}  // namespace lx

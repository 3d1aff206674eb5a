// The Quillon window under Qt's offscreen platform: its layout, the grid
// over the export's own grid objects, and the button's dialogs answered by
// the test (cancel, export and open, failures).
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "ModalAnswers.h"
#include "OpenedUrls.h"
#include "Unit2.h"
#include "lxCompoundFile.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

namespace fs = std::filesystem;
using test::TModalAnswers;
using test::TOpenedUrls;

// One value of the first row of a query over the demo database, read
// independently of the window's dataset.
std::string DemoQueryText(const std::string& sql) {
  TSQLiteDatabase database;
  EXPECT_TRUE(OpenDemoDatabase(database));
  TSQLiteDataSet query;
  query.SetDatabase(&database);
  query.SetSQL(sql);
  query.Open();
  return query.Fields(0)->DisplayText();
}

// A shown window over the demo orders, with the desktop's file opening and
// the modal dialogs in the test's hands. The orders are opened after the
// window is built, which the grid must follow.
struct TShownWindow {
  TShownWindow() {
    data.Open();
    form.show();
  }
  TQuillonData data;
  TForm1 form{data};
  TOpenedUrls opened;
  TModalAnswers answers;
};

class QuillonWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("lx_quillon_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // The save dialog starts in the current folder.
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  std::vector<std::string> FilesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }

  // Answers the save dialog with a name in the test's folder.
  void SaveAs(TModalAnswers& answers, const std::string& name) {
    const QString path = QString::fromStdString((dir_ / name).string());
    answers.Expect([path](QWidget* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      ASSERT_NE(files, nullptr) << "expected the save dialog";
      // Typed and pressed as a user would, so the dialog applies its
      // default suffix.
      auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name->setText(path);
      auto* buttons = files->findChild<QDialogButtonBox*>();
      ASSERT_NE(buttons, nullptr);
      ASSERT_NE(buttons->button(QDialogButtonBox::Save), nullptr);
      buttons->button(QDialogButtonBox::Save)->click();
    });
  }

  fs::path dir_;
  fs::path previous_;
};

TEST_F(QuillonWindow, ShowsTheExportGridWithItsColumnsAndRecordsAtTheDesignedPlaces) {
  TQuillonData data;
  data.Open();
  TForm1 form(data);
  form.show();

  EXPECT_EQ(form.windowTitle(), "Quillon");
  EXPECT_EQ(form.geometry(), QRect(311, 240, 730, 440));
  EXPECT_EQ(form.DBGrid1()->geometry(), QRect(0, 0, 730, 329));
  EXPECT_EQ(form.Button1()->text(), "Export to ...");
  EXPECT_EQ(form.Button1()->geometry(), QRect(384, 350, 145, 27));
  EXPECT_TRUE(form.Button1()->isEnabled());

  // The window shows the very column objects the export walks.
  TDBGridModel* model = form.GridModel();
  ASSERT_EQ(model->columnCount(), 5);
  const std::vector<std::pair<QString, int>> columns = {
      {"Terms", 111}, {"PaymentMethod", 127}, {"OrderNo", 137}, {"SaleDate", 133}, {"AmountPaid", 141}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(model->headerData(i, Qt::Horizontal).toString(), columns[i].first);
    EXPECT_EQ(form.DBGrid1()->horizontalHeader()->sectionSize(i), columns[i].second) << "column " << i;
    EXPECT_EQ(model->GridColumn(i), data.GridToXLS1().DBGrid()->Columns()[i]);
  }
  const auto alignment = [](const QVariant& value) { return value.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask; };
  EXPECT_EQ(alignment(model->index(0, 2).data(Qt::TextAlignmentRole)), Qt::AlignLeft) << "order numbers";
  EXPECT_EQ(alignment(model->index(0, 4).data(Qt::TextAlignmentRole)), Qt::AlignRight) << "amounts";
  EXPECT_EQ(alignment(model->headerData(4, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignRight);
  EXPECT_EQ(alignment(model->headerData(3, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignLeft);

  // Every order, sorted by the group fields.
  EXPECT_EQ(std::to_string(model->rowCount()), DemoQueryText("SELECT COUNT(*) FROM orders"));
  const std::string first = "SELECT %1 FROM orders ORDER BY Terms, PaymentMethod, OrderNo LIMIT 1";
  for (int column : {0, 1, 2}) {
    const std::string field = columns[static_cast<size_t>(column)].first.toStdString();
    EXPECT_EQ(model->index(0, column).data().toString().toStdString(),
              DemoQueryText(QString::fromStdString(first).arg(QString::fromStdString(field)).toStdString()));
  }
}

TEST_F(QuillonWindow, GridFillsWhenTheDatasetOpensAfterTheWindow) {
  TQuillonData data;
  TForm1 form(data);
  EXPECT_EQ(form.GridModel()->rowCount(), 0);
  data.Open();
  EXPECT_EQ(form.GridModel()->rowCount(), data.ADOTable1().RecordCount());
  EXPECT_GT(form.GridModel()->rowCount(), 1000);
  // Reloading the grid keeps the designed column widths.
  EXPECT_EQ(form.DBGrid1()->horizontalHeader()->sectionSize(0), 111);
  EXPECT_EQ(form.DBGrid1()->horizontalHeader()->sectionSize(4), 141);
}

TEST_F(QuillonWindow, CancellingTheSaveDialogChangesNothing) {
  TShownWindow window;
  window.answers.Expect([this](QWidget* dialog) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    ASSERT_NE(files, nullptr) << "expected the save dialog";
    EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(files->defaultSuffix(), "xls");
    EXPECT_EQ(files->nameFilters(), QStringList({"Excel file (*.xls)", "HTML file (*.html)", "RTF file (*.rtf)"}));
    EXPECT_EQ(files->selectedNameFilter(), "Excel file (*.xls)");
    EXPECT_EQ(fs::path(files->directory().absolutePath().toStdString()), fs::canonical(dir_));
    ASSERT_EQ(files->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(files->selectedFiles()[0]).completeBaseName(), "Export2");
    files->reject();
  });
  window.form.Button1()->click();

  EXPECT_EQ(window.answers.Answered(), 1);
  EXPECT_TRUE(FilesInDir().empty());
  EXPECT_TRUE(window.opened.urls.empty());
  EXPECT_TRUE(window.form.Button1()->isEnabled());
  // The grouping settings are applied only by an export.
  EXPECT_EQ(window.data.GridToXLS1().GroupColor(), clYellow);
  EXPECT_EQ(window.data.GridToXLS1().GroupBorderStyle(), BorderStyleSingleThin);
}

TEST_F(QuillonWindow, ExportWritesBiff8AndOpensTheFileOnlyOnYes) {
  TShownWindow window;

  // A name without an extension gets the dialog's default one.
  SaveAs(window.answers, "orders");
  window.answers.ExpectMessageBox(
      [&window](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Open generated file?");
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_FALSE(window.form.Button1()->isEnabled()) << "the button stays disabled until the handler ends";
      },
      QMessageBox::Yes);
  window.form.Button1()->click();

  const fs::path file = dir_ / "orders.xls";
  ASSERT_EQ(window.answers.Answered(), 2);
  ASSERT_TRUE(fs::is_regular_file(file)) << ::testing::PrintToString(FilesInDir());
  ASSERT_EQ(window.opened.urls.size(), 1u);
  EXPECT_EQ(window.opened.urls[0], QUrl::fromLocalFile(QString::fromStdString(fs::canonical(file).string())));
  EXPECT_TRUE(window.form.Button1()->isEnabled());

  // The click configured the grouping of the export.
  const TGridToXLS& exporter = window.data.GridToXLS1();
  EXPECT_EQ(exporter.GroupColor(), 0xF0CAA6);
  EXPECT_EQ(exporter.GroupBorderStyle(), BorderStyleSingleHair);
  EXPECT_EQ(exporter.GroupFont(), TFont("Arial", 10, {fsBold, fsItalic}, clMaroon));
  ASSERT_EQ(exporter.GroupFields().Count(), 2);
  EXPECT_EQ(exporter.GroupFields()[0], "Terms");
  EXPECT_EQ(exporter.GroupFields()[1], "PaymentMethod");
  EXPECT_EQ(exporter.Workbook(), nullptr) << "the workbook is released after the export";

  // A BIFF8 workbook: globals BOF (version 0x0600, workbook globals), then
  // one worksheet BOF.
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.OpenFile(QString::fromStdString(file.string()).toStdU16String()));
  auto stream = reader.Root().OpenStream(u"Workbook");
  ASSERT_NE(stream, nullptr);
  std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
  ASSERT_EQ(stream->Read(bytes.data(), stream->Size()), stream->Size());
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(test::ToHex(bytes.data(), 8), "09 08 10 00 00 06 05 00");
  int sheets = 0;
  for (const test::TRecord& record : test::WalkRecords(bytes))
    if (record.number == 0x0809 && record.payload.size() >= 4 && record.payload[2] == 0x10) ++sheets;
  EXPECT_EQ(sheets, 1);

  // No leaves the file closed.
  SaveAs(window.answers, "again.xls");
  window.answers.ExpectMessageBox([](QMessageBox*) {}, QMessageBox::No);
  window.form.Button1()->click();
  EXPECT_EQ(window.answers.Answered(), 4);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "again.xls"));
  EXPECT_EQ(window.opened.urls.size(), 1u);
  EXPECT_TRUE(window.form.Button1()->isEnabled());
}

TEST_F(QuillonWindow, FailedExportsAreReportedAndNotOfferedForOpening) {
  TShownWindow window;

  // An export stopped by the silent abort writes nothing.
  window.data.GridToXLS1().SetAfterDetailRow([](TGridToXLS*, IXLSRange*, int32_t row) {
    if (row == 3) Abort();
  });
  SaveAs(window.answers, "aborted.xls");
  window.answers.ExpectMessageBox([](QMessageBox* box) {
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_TRUE(box->text().contains("aborted.xls")) << box->text().toStdString();
    EXPECT_TRUE(box->text().contains("result -100")) << box->text().toStdString();
  });
  window.form.Button1()->click();
  EXPECT_EQ(window.answers.Answered(), 2);
  EXPECT_TRUE(FilesInDir().empty());
  EXPECT_TRUE(window.form.Button1()->isEnabled());

  // Any other error is shown, and the button works again afterwards.
  window.data.GridToXLS1().SetAfterDetailRow(
      [](TGridToXLS*, IXLSRange*, int32_t) { throw EDatabaseError("disk gone"); });
  SaveAs(window.answers, "broken.xls");
  window.answers.ExpectMessageBox([](QMessageBox* box) {
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->text(), "disk gone");
  });
  window.form.Button1()->click();
  EXPECT_EQ(window.answers.Answered(), 4);
  EXPECT_TRUE(FilesInDir().empty());
  EXPECT_TRUE(window.opened.urls.empty());
  EXPECT_TRUE(window.form.Button1()->isEnabled());
}

}  // namespace
}  // namespace lx

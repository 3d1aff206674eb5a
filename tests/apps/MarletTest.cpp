// Marlet: the export its handlers colour (Qt-free), its command line's
// export, and its window under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ModalAnswers.h"
#include "OpenedUrls.h"
#include "Unit1.h"
#include "lxSysUtils.h"

namespace lx {
namespace {

namespace fs = std::filesystem;
using test::TModalAnswers;
using test::TOpenedUrls;

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("lx_marlet_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// A customer table with one customer per colour band, and one never
// invoiced.
std::string BandsDatabase(const fs::path& dir) {
  const std::string file = (dir / "bands.db").string();
  TSQLiteDatabase db;
  EXPECT_TRUE(db.Open(file));
  EXPECT_TRUE(db.ExecScript(
      "CREATE TABLE customer (CustNo FLOAT, Company NVARCHAR(40), Addr1 NVARCHAR(30), City NVARCHAR(20),"
      " State NVARCHAR(20), Zip NVARCHAR(10), Country NVARCHAR(20), Phone NVARCHAR(18), Contact NVARCHAR(20),"
      " LastInvoiceDate DATETIME);"
      "INSERT INTO customer (CustNo, Company, LastInvoiceDate) VALUES"
      " (1, 'New Year', '1994-01-01'), (2, 'Mid 1993', '1993-06-15'), (3, 'Eve', '1993-12-31 23:00'),"
      " (4, 'Old', '1992-12-31'), (5, 'ЗАО \"Дельфин\"', NULL);"));
  return file;
}

using Marlet = TempDir;

TEST_F(Marlet, HandlersColourRowsByLastInvoiceAndFrameTheBlock) {
  TMarletData data;
  data.Open(BandsDatabase(dir_));
  data.DataToXLS1().Export();
  IXLSWorkBook* book = data.DataToXLS1().Workbook();
  ASSERT_NE(book, nullptr);
  IXLSWorksheet* sheet = book->Worksheets()->Item(1);
  EXPECT_EQ(sheet->Name(), u"employee");
  auto cell = [&](int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); };
  // Header in row 2 from column B, green, bold white Tahoma, centred.
  EXPECT_EQ(cell(2, 2)->Value().ToWide(), u"CustNo");
  EXPECT_EQ(cell(2, 11)->Value().ToWide(), u"LastInvoiceDate");
  EXPECT_TRUE(cell(1, 2)->Value().IsNull() || cell(1, 2)->Value().IsEmpty());
  XLSPtr<IXLSRange> title = cell(2, 3);
  EXPECT_EQ(InteriorOf(title.Get())->Color(), 0x008000u);
  EXPECT_EQ(FontOf(title.Get())->Name(), u"Tahoma");
  EXPECT_TRUE(FontOf(title.Get())->Bold());
  EXPECT_EQ(FontOf(title.Get())->Color(), 0xFFFFFFu);
  EXPECT_EQ(title->HorizontalAlignment(), xlHAlignCenter);
  EXPECT_EQ(title->VerticalAlignment(), xlVAlignCenter);
  EXPECT_NEAR(cell(1, 1)->ColumnWidth().ToDouble(), 2, 0.01);
  // Medium outside edges around the header and around the whole block,
  // thin lines inside.
  EXPECT_EQ(BordersOf(title.Get())->Item(xlEdgeTop)->Weight(), xlMedium);
  EXPECT_EQ(BordersOf(title.Get())->Item(xlEdgeBottom)->Weight(), xlMedium);
  XLSPtr<IXLSRange> corner = cell(7, 11);
  EXPECT_EQ(BordersOf(corner.Get())->Item(xlEdgeBottom)->Weight(), xlMedium);
  EXPECT_EQ(BordersOf(corner.Get())->Item(xlEdgeRight)->Weight(), xlMedium);
  XLSPtr<IXLSRange> inner = cell(4, 5);
  EXPECT_EQ(BordersOf(inner.Get())->Item(xlEdgeBottom)->Weight(), xlThin);
  EXPECT_EQ(BordersOf(cell(3, 2).Get())->Item(xlEdgeLeft)->Weight(), xlMedium);

  struct TRow {
    int32_t row;
    TColor fill, text;
  };
  for (const TRow& expected :
       {TRow{3, kRecentFill, kRecentText}, TRow{4, kLastYearFill, kLastYearText}, TRow{5, kLastYearFill, kLastYearText},
        TRow{6, kOlderFill, kOlderText}, TRow{7, kOlderFill, kOlderText}}) {
    for (int32_t column = 2; column <= 11; ++column) {
      XLSPtr<IXLSRange> c = cell(expected.row, column);
      const bool first = column == 2;
      EXPECT_EQ(InteriorOf(c.Get())->Color(), static_cast<uint32_t>(first ? kFirstCellFill : expected.fill))
          << "row " << expected.row << " column " << column;
      EXPECT_EQ(FontOf(c.Get())->Color(), static_cast<uint32_t>(first ? kFirstCellText : expected.text))
          << "row " << expected.row << " column " << column;
      EXPECT_EQ(FontOf(c.Get())->Name(), u"Times New Roman");
    }
  }
  EXPECT_EQ(cell(7, 3)->Value().ToWide(), u"ЗАО \"Дельфин\"");
}

TEST_F(Marlet, ExportCommandWritesTheFileAndReportsFailures) {
  TAppOptions options;
  options.mode = TAppOptions::qmExport;
  std::ostringstream out, err;
  auto run = [&](const std::string& file, const std::string& database) {
    options.fileName = (dir_ / file).string();
    options.databaseFile = database;
    out.str({});
    err.str({});
    return RunMarletExport(options, out, err);
  };
  ASSERT_EQ(run("customers.xls", {}), 0) << err.str();
  EXPECT_NE(out.str().find("wrote " + (dir_ / "customers.xls").string()), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("result 1"), std::string::npos) << out.str();
  EXPECT_GT(fs::file_size(dir_ / "customers.xls"), 4096u);

  EXPECT_EQ(run("a.xls", (dir_ / "missing.db").string()), 1);
  EXPECT_NE(err.str().find("missing.db"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(dir_ / "missing.db"));
  EXPECT_EQ(run("no such folder/b.xls", {}), 1);
  EXPECT_NE(err.str().find("result -2"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

// A shown window over the demo customers, with the desktop's file opening
// and the modal dialogs in the test's hands.
struct TShownWindow {
  TShownWindow() {
    data.Open();
    form.show();
  }
  TMarletData data;
  marlet::TForm1 form{data};
  TOpenedUrls opened;
  TModalAnswers answers;
};

class MarletWindow : public TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    TempDir::TearDown();
  }
  std::vector<std::string> FilesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }
  void SaveAs(TModalAnswers& answers, const std::string& name) {
    const QString path = QString::fromStdString((dir_ / name).string());
    answers.Expect([path](QWidget* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      ASSERT_NE(files, nullptr) << "expected the save dialog";
      auto* edit = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(edit, nullptr);
      edit->setText(path);
      auto* buttons = files->findChild<QDialogButtonBox*>();
      ASSERT_NE(buttons, nullptr);
      buttons->button(QDialogButtonBox::Save)->click();
    });
  }
  fs::path previous_;
};

TEST_F(MarletWindow, LayoutColumnsAndWidthsAsDesigned) {
  TShownWindow window;
  marlet::TForm1& form = window.form;
  EXPECT_EQ(form.windowTitle(), "Marlet");
  EXPECT_EQ(form.size(), QSize(1043, 501));
  // Centred, give or take the platform's rounding of odd sizes.
  const QPoint offCentre = form.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE(offCentre.manhattanLength(), 4) << offCentre.x() << "," << offCentre.y();
  EXPECT_EQ(form.Panel1()->geometry(), QRect(0, 449, 1043, 52));
  EXPECT_EQ(form.DBGrid1()->geometry(), QRect(0, 0, 1043, 449));
  EXPECT_EQ(form.Button1()->text(), "Export Data ...");
  EXPECT_EQ(form.Button1()->geometry(), QRect(432, 13, 137, 25));
  EXPECT_EQ(form.Button1()->parentWidget(), form.Panel1());
  EXPECT_EQ(form.DBGrid1()->horizontalHeader()->font().family(), "Tahoma");

  TDBGridModel* model = form.GridModel();
  ASSERT_EQ(model->columnCount(), 10);
  const std::vector<std::pair<QString, int>> columns = {
      {"CustNo", 44}, {"Company", 162}, {"Addr1", 141}, {"City", 90},   {"State", 62},
      {"Zip", 69},    {"Country", 108}, {"Phone", 0},   {"Contact", 0}, {"LastInvoiceDate", 98}};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(model->headerData(i, Qt::Horizontal).toString(), columns[i].first);
    const int width = form.DBGrid1()->horizontalHeader()->sectionSize(i);
    const int designed = columns[i].second > 0 ? columns[i].second : model->GridColumn(i)->Width();
    EXPECT_EQ(width, designed) << "column " << i;
  }
  EXPECT_EQ(model->rowCount(), window.data.Customer().RecordCount());
  EXPECT_GT(model->rowCount(), 10);
}

TEST_F(MarletWindow, CancellingTheSaveDialogChangesNothing) {
  TShownWindow window;
  window.answers.Expect([this](QWidget* dialog) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    ASSERT_NE(files, nullptr) << "expected the save dialog";
    EXPECT_EQ(files->defaultSuffix(), "xls");
    EXPECT_EQ(files->nameFilters(), QStringList({"Excel file (*.xls)", "HTML file (*.html)"}));
    EXPECT_EQ(fs::path(files->directory().absolutePath().toStdString()), fs::canonical(dir_));
    ASSERT_EQ(files->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(files->selectedFiles()[0]).completeBaseName(), "Export1");
    files->reject();
  });
  window.form.Button1()->click();
  EXPECT_EQ(window.answers.Answered(), 1);
  EXPECT_TRUE(FilesInDir().empty());
  EXPECT_TRUE(window.opened.urls.empty());
  EXPECT_TRUE(window.form.Button1()->isEnabled());
  EXPECT_EQ(window.data.DataToXLS1().Workbook(), nullptr);
}

TEST_F(MarletWindow, ExportAnsweredYesOpensTheFileAndNoLeavesItClosed) {
  TShownWindow window;
  SaveAs(window.answers, "customers");
  window.answers.ExpectMessageBox(
      [&window](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Open generated file?");
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_TRUE(window.form.Button1()->isEnabled()) << "enabled again before the question";
        EXPECT_EQ(window.data.DataToXLS1().Workbook(), nullptr);
      },
      QMessageBox::Yes);
  window.form.Button1()->click();
  const fs::path file = dir_ / "customers.xls";
  ASSERT_EQ(window.answers.Answered(), 2);
  ASSERT_TRUE(fs::is_regular_file(file)) << ::testing::PrintToString(FilesInDir());
  ASSERT_EQ(window.opened.urls.size(), 1u);
  EXPECT_EQ(window.opened.urls[0], QUrl::fromLocalFile(QString::fromStdString(fs::canonical(file).string())));

  SaveAs(window.answers, "again.xls");
  window.answers.ExpectMessageBox([](QMessageBox*) {}, QMessageBox::No);
  window.form.Button1()->click();
  EXPECT_EQ(window.answers.Answered(), 4);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "again.xls"));
  EXPECT_EQ(window.opened.urls.size(), 1u);
  EXPECT_TRUE(window.form.Button1()->isEnabled());
}

TEST_F(MarletWindow, ExportWhoseHandlerThrowsIsReportedAndWritesNothing) {
  TShownWindow window;
  window.data.DataToXLS1().SetAfterDetailRow([](TDataToXLS*, IXLSRange*, int32_t row) {
    if (row == 3) throw EDatabaseError("customer table gone");
  });
  SaveAs(window.answers, "broken.xls");
  window.answers.ExpectMessageBox([](QMessageBox* box) {
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->text(), "customer table gone");
  });
  window.form.Button1()->click();
  EXPECT_EQ(window.answers.Answered(), 2);
  EXPECT_TRUE(FilesInDir().empty());
  EXPECT_TRUE(window.opened.urls.empty());
  EXPECT_TRUE(window.form.Button1()->isEnabled());
  EXPECT_EQ(window.data.DataToXLS1().Workbook(), nullptr);
}

}  // namespace
}  // namespace lx

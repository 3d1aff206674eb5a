// TForm1: the Quillon window.
//
// One window with the orders grid across its top and the "Export to ..."
// button below it. The grid shows the DBGrid1 of a TQuillonData through
// TDBGridModel, so it lists exactly the columns and records the export
// writes. The button asks for a file name in a save dialog, runs the export
// of TQuillonData and offers to open the written file with the desktop's
// default application. The dialogs are Qt's own (not the platform's), so
// that they look the same everywhere and tests can answer them.
#pragma once

#include <QFileDialog>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <memory>

#include "DBGridModel.h"
#include "QuillonData.h"

namespace lx {

// The window's design: outer size and position, the grid's height and the
// button's place, in pixels.
inline constexpr int kQuillonLeft = 311;
inline constexpr int kQuillonTop = 240;
inline constexpr int kQuillonWidth = 730;
inline constexpr int kQuillonHeight = 440;
inline constexpr int kQuillonGridHeight = 329;
inline constexpr int kQuillonButtonLeft = 384;
inline constexpr int kQuillonButtonTop = 350;
inline constexpr int kQuillonButtonWidth = 145;
inline constexpr int kQuillonButtonHeight = 27;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // The data is not owned and must outlive the window; it may be opened
  // before or after the window is created (the grid follows its dataset).
  explicit TForm1(TQuillonData& data, QWidget* parent = nullptr);
  ~TForm1() override;

  QTableView* DBGrid1() const { return grid_; }
  QPushButton* Button1() const { return button_; }
  QFileDialog* SaveDialog1() const { return saveDialog_; }
  TDBGridModel* GridModel() const { return model_.get(); }

  // The button's handler: save dialog, export, offer to open the file.
  void Button1Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // After an export that wrote the file: asks whether to open it and hands
  // it to the desktop on Yes.
  void OfferToOpen(const QString& fileName);

  TQuillonData& data_;  // not owned
  // Destroyed before the data it reads; the view drops it when it goes.
  std::unique_ptr<TDBGridModel> model_;
  QTableView* grid_;  // child widgets, owned by the window
  QPushButton* button_;
  QFileDialog* saveDialog_;
};

}  // namespace lx

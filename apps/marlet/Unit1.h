// TForm1: the Marlet window.
//
// One window, centred on the screen, with the customers grid filling it
// above a bottom panel that holds the "Export Data ..." button. The grid
// shows the DBGrid1 of a TMarletData through TDBGridModel (AppGrid), so it
// lists exactly the fields the export writes. The button asks for a file
// name (XLS or HTML) in a save dialog, runs the export of TMarletData and
// offers to open the written file with the desktop's default application.
// The dialogs are Qt's own, so that they look the same everywhere and tests
// can answer them. The class lives in its own namespace: Quillon's window
// has the same design name.
#pragma once

#include <QFileDialog>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <memory>

#include "DBGridModel.h"
#include "MarletData.h"

namespace lx::marlet {

// The window's design in pixels: the client area, the bottom panel's height
// and the button's place on the panel.
inline constexpr int kClientWidth = 1043;
inline constexpr int kClientHeight = 501;
inline constexpr int kPanelHeight = 52;
inline constexpr int kButtonLeft = 432;
inline constexpr int kButtonTop = 13;
inline constexpr int kButtonWidth = 137;
inline constexpr int kButtonHeight = 25;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // The data is not owned and must outlive the window; it may be opened
  // before or after the window is created.
  explicit TForm1(TMarletData& data, QWidget* parent = nullptr);
  ~TForm1() override;

  QTableView* DBGrid1() const { return grid_; }
  QWidget* Panel1() const { return panel_; }
  QPushButton* Button1() const { return button_; }
  QFileDialog* SaveDialog1() const { return saveDialog_; }
  TDBGridModel* GridModel() const { return model_.get(); }

  // The button's handler: save dialog, export, offer to open the file.
  void Button1Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  void ApplyColumnWidths();

  TMarletData& data_;  // not owned
  std::unique_ptr<TDBGridModel> model_;
  QTableView* grid_;  // child widgets, owned by the window
  QWidget* panel_;
  QPushButton* button_;
  QFileDialog* saveDialog_;
};

}  // namespace lx::marlet

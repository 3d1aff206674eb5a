// Test helper: answers the modal dialogs a button handler opens.
//
// A handler that shows a modal dialog runs the dialog's own event loop and
// returns only when the dialog closes, so the test cannot answer it after
// the click. TModalAnswers polls from a timer, which fires inside that loop:
// each modal dialog that appears is handed to the next expected answer, in
// order. A dialog that no answer expects is a test failure and is closed,
// so that a wrong dialog fails the test instead of hanging it.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

namespace lx::test {

class TModalAnswers {
 public:
  using TAnswer = std::function<void(QWidget* dialog)>;

  TModalAnswers() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  ~TModalAnswers() { EXPECT_TRUE(answers_.empty()) << answers_.size() << " expected dialog(s) never appeared"; }
  TModalAnswers(const TModalAnswers&) = delete;
  TModalAnswers& operator=(const TModalAnswers&) = delete;

  void Expect(TAnswer answer) { answers_.push_back(std::move(answer)); }
  int Answered() const { return answered_; }

  // Expects a message box: runs the checks on it, then presses the button
  // (or closes the box when that button is QMessageBox::NoButton).
  void ExpectMessageBox(std::function<void(QMessageBox* box)> checks,
                        QMessageBox::StandardButton press = QMessageBox::NoButton) {
    Expect([checks = std::move(checks), press](QWidget* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      ASSERT_NE(box, nullptr) << "expected a message box, got " << dialog->metaObject()->className();
      checks(box);
      QAbstractButton* button = press == QMessageBox::NoButton ? nullptr : box->button(press);
      if (button) {
        button->click();
      } else {
        EXPECT_EQ(press, QMessageBox::NoButton) << "the box has no such button";
        box->accept();
      }
    });
  }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (answers_.empty()) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ADD_FAILURE() << "unexpected dialog " << modal->metaObject()->className()
                    << (box ? ": " + box->text().toStdString() : std::string());
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      return;
    }
    TAnswer answer = std::move(answers_.front());
    answers_.pop_front();
    ++answered_;
    answer(modal);
  }

  QTimer timer_;
  std::deque<TAnswer> answers_;
  int answered_ = 0;
};

}  // namespace lx::test

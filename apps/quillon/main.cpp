// Quillon: shows the orders and exports them grouped by terms and payment
// method. With --export it runs the export without a window (no display
// needed); with --screenshot it draws the window into a PNG file.
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "QuillonData.h"
#include "Unit2.h"
#include "lxVersion.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

int RunWindow(int argc, char** argv, const lx::TQuillonOptions& options) {
  QApplication application(argc, argv);
  lx::TQuillonData data;
  try {
    data.Open(options.databaseFile);
  } catch (const std::exception& error) {
    if (options.mode == lx::TQuillonOptions::qmScreenshot) {
      std::cerr << "quillon: " << error.what() << "\n";
    } else {
      QMessageBox::critical(nullptr, QStringLiteral("Quillon"), QString::fromLocal8Bit(error.what()));
    }
    return 1;
  }
  lx::TForm1 form(data);
  form.show();
  if (options.mode != lx::TQuillonOptions::qmScreenshot) return application.exec();

  QApplication::processEvents();
  const QString file = QString::fromLocal8Bit(options.fileName.c_str());
  if (!form.grab().save(file, "PNG")) {
    std::cerr << "quillon: could not write " << options.fileName << "\n";
    return 1;
  }
  std::cout << "quillon: window drawn into " << options.fileName << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Dates and numbers follow the user's locale, in the window and without it.
  std::setlocale(LC_ALL, "");
  // The whole command line is checked before Qt starts: without a display Qt
  // ends the process while it starts, before a usage could be printed. Qt's
  // own settings come from its environment variables (QT_QPA_PLATFORM, ...).
  const lx::TQuillonOptions options = lx::ParseQuillonArguments(Arguments(argc, argv));
  if (!options.error.empty()) {
    std::cerr << "quillon: " << options.error << "\n" << lx::kQuillonUsage;
    return 2;
  }
  switch (options.mode) {
    case lx::TQuillonOptions::qmHelp:
      std::cout << "quillon " << lx::kVersion << "\n" << lx::kQuillonUsage;
      return 0;
    case lx::TQuillonOptions::qmExport:
      return lx::RunQuillonExport(options, std::cout, std::cerr);
    case lx::TQuillonOptions::qmWindow:
    case lx::TQuillonOptions::qmScreenshot:
      break;
  }
  return RunWindow(argc, argv, options);
}

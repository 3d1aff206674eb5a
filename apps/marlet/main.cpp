// Marlet: shows the customers and exports them coloured by the date of their
// last invoice. With --export it runs the export without a window (no display
// needed); with --screenshot it draws the window into a PNG file.
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "MarletData.h"
#include "Unit1.h"
#include "lxVersion.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

int RunWindow(int argc, char** argv, const lx::TAppOptions& options) {
  QApplication application(argc, argv);
  lx::TMarletData data;
  try {
    data.Open(options.databaseFile);
  } catch (const std::exception& error) {
    if (options.mode == lx::TAppOptions::qmScreenshot) {
      std::cerr << "marlet: " << error.what() << "\n";
    } else {
      QMessageBox::critical(nullptr, QStringLiteral("Marlet"), QString::fromLocal8Bit(error.what()));
    }
    return 1;
  }
  lx::marlet::TForm1 form(data);
  form.show();
  if (options.mode != lx::TAppOptions::qmScreenshot) return application.exec();

  QApplication::processEvents();
  const QString file = QString::fromLocal8Bit(options.fileName.c_str());
  if (!form.grab().save(file, "PNG")) {
    std::cerr << "marlet: could not write " << options.fileName << "\n";
    return 1;
  }
  std::cout << "marlet: window drawn into " << options.fileName << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Dates and numbers follow the user's locale, in the window and without it.
  std::setlocale(LC_ALL, "");
  // The whole command line is checked before Qt starts: without a display Qt
  // ends the process while it starts, before a usage could be printed. Qt's
  // own settings come from its environment variables (QT_QPA_PLATFORM, ...).
  const lx::TAppOptions options = lx::ParseAppArguments(Arguments(argc, argv));
  if (!options.error.empty()) {
    std::cerr << "marlet: " << options.error << "\n" << lx::kMarletUsage;
    return 2;
  }
  switch (options.mode) {
    case lx::TAppOptions::qmHelp:
      std::cout << "marlet " << lx::kVersion << "\n" << lx::kMarletUsage;
      return 0;
    case lx::TAppOptions::qmExport:
      return lx::RunMarletExport(options, std::cout, std::cerr);
    case lx::TAppOptions::qmWindow:
    case lx::TAppOptions::qmScreenshot:
      break;
  }
  return RunWindow(argc, argv, options);
}

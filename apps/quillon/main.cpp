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

namespace {

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

bool WantsWindow(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments)
    if (argument == "--export" || argument == "--help" || argument == "-h") return false;
  return true;
}

int RunWindow(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own arguments out of argv
  const lx::TQuillonOptions options = lx::ParseQuillonArguments(Arguments(argc, argv));
  if (!options.error.empty()) {
    std::cerr << "quillon: " << options.error << "\n" << lx::kQuillonUsage;
    return 2;
  }
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
  const std::vector<std::string> arguments = Arguments(argc, argv);
  if (WantsWindow(arguments)) return RunWindow(argc, argv);

  const lx::TQuillonOptions options = lx::ParseQuillonArguments(arguments);
  if (!options.error.empty()) {
    std::cerr << "quillon: " << options.error << "\n" << lx::kQuillonUsage;
    return 2;
  }
  if (options.mode == lx::TQuillonOptions::qmHelp) {
    std::cout << lx::kQuillonUsage;
    return 0;
  }
  return lx::RunQuillonExport(options, std::cout, std::cerr);
}

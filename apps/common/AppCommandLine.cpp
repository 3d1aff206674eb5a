#include "AppCommandLine.h"

#include <exception>
#include <ostream>

#include "lxConstants.h"

namespace lx {

TAppOptions ParseAppArguments(const std::vector<std::string>& arguments) {
  TAppOptions options;
  auto fail = [&options](std::string message) {
    options.error = std::move(message);
    return options;
  };
  bool modeSet = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool takesFile = argument == "--export" || argument == "--screenshot" || argument == "--db";
    if (argument == "--help" || argument == "-h") {
      options.mode = TAppOptions::qmHelp;
      return options;
    }
    if (!takesFile) return fail("unknown argument: " + argument);
    if (i + 1 >= arguments.size() || arguments[i + 1].empty()) return fail(argument + " needs a file name");
    const std::string& value = arguments[++i];
    if (argument == "--db") {
      options.databaseFile = value;
      continue;
    }
    if (modeSet) return fail("--export and --screenshot exclude each other");
    modeSet = true;
    options.mode = argument == "--export" ? TAppOptions::qmExport : TAppOptions::qmScreenshot;
    options.fileName = value;
  }
  return options;
}

std::string ExportResultText(int32_t result) {
  switch (result) {
    case kResultOk:
      return "success";
    case kResultFail:
      return "failed: no workbook, a bad file name or an output the engine cannot write";
    case kResultCreateFileFailed:
      return "failed: the file could not be created";
    case kResultCreateMemoryFailed:
      return "failed: the document could not be built in memory";
    case kResultAborted:
      return "the export was aborted";
    default:
      return "failed";
  }
}

int RunHeadlessExport(std::string_view program, const std::string& fileName, const std::function<int32_t()>& exportFile,
                      const std::function<std::string()>& written, std::ostream& out, std::ostream& err) {
  int32_t result;
  try {
    result = exportFile();
  } catch (const std::exception& error) {
    err << program << ": " << error.what() << "\n";
    return 1;
  }
  if (result != kResultOk) {
    err << program << ": export to " << fileName << " " << ExportResultText(result) << " (result " << result << ")\n";
    return 1;
  }
  out << program << ": wrote " << fileName << " (" << written() << "), result " << result << "\n";
  return 0;
}

}  // namespace lx

// The command line both programs share, and the words for an export result.
//
// Each program shows its window when started without arguments, exports
// without any window (--export FILE) or draws its window into a PNG file
// (--screenshot FILE); --db names a SQLite file to read instead of the
// built-in demo database. The words are checked before Qt starts, so that
// mistakes are reported even where no display is available.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace lx {

struct TAppOptions {
  enum TMode { qmWindow, qmExport, qmScreenshot, qmHelp };
  TMode mode = qmWindow;
  std::string fileName;      // the export or screenshot file
  std::string databaseFile;  // empty: the embedded demo database
  std::string error;         // set when the arguments are not understood
};

// Reads the arguments after the program name:
//   (none)                          the window
//   --export FILE [--db DATABASE]   export without a window
//   --screenshot FILE [--db ...]    draw the window into a PNG file
//   --help
TAppOptions ParseAppArguments(const std::vector<std::string>& arguments);

// Short words for a result code of an export.
std::string ExportResultText(int32_t result);

// The headless export of a program: runs `exportFile` (which opens the data
// and exports it to fileName, and may throw), then reports on `out`
// "<program>: wrote FILE (<what `written` says>), result 1" and gives 0, or
// reports the failure or exception on `err` and gives 1.
int RunHeadlessExport(std::string_view program, const std::string& fileName, const std::function<int32_t()>& exportFile,
                      const std::function<std::string()>& written, std::ostream& out, std::ostream& err);

}  // namespace lx

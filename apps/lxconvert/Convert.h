// lxconvert: opens a BIFF5 or BIFF8 workbook and writes it in the format
// its output file's extension names. The program's main hands its
// arguments to RunConvert; tests call it directly.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lx::convert {

// Runs one conversion with the command-line arguments (without the program
// name): the exit code, with messages written to out (help) and err (a
// one-line reason naming the file).
int RunConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace lx::convert

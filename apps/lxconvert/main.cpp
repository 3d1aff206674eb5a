// lxconvert: converts XLS workbooks for scripts (see Convert.h).
#include <iostream>
#include <string>
#include <vector>

#include "Convert.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return lx::convert::RunConvert(arguments, std::cout, std::cerr);
}

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  keyloom::cli::Console console{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0};
  console.progress = isatty(STDERR_FILENO) != 0;
  return keyloom::cli::Run(args, console);
}

// Entry point of battlesim-headless: battles without a window, reported on standard output.
#include <unistd.h>

#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "app/HeadlessRunner.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::cout << HeadlessRunner::Usage();
      return 0;
    }
  }
  HeadlessOptions options;
  std::string error;
  if (!HeadlessRunner::ParseArguments(arguments, options, error)) {
    std::cerr << "battlesim-headless: " << error << "\n" << HeadlessRunner::Usage();
    return 2;
  }
  if (!options.seedGiven) options.seed = static_cast<unsigned>(std::time(nullptr));
  HeadlessRunner runner(options);
  return runner.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}

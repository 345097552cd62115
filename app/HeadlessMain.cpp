// Entry point of battlesim-headless: battles without a window, reported on standard output.
#include <unistd.h>

#include <ctime>
#include <filesystem>
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
  // The run goes on without the height map, as the window program does, but on an empty field
  // no path is ever found and no battle ends: say why before the user waits for nothing.
  if (!std::filesystem::exists("Textures/ASTest.png")) {
    std::cerr << "battlesim-headless: Textures/ASTest.png not found below the working directory; "
                 "the field is empty and battles will not end (run from the project root)\n";
  }
  HeadlessRunner runner(options);
  return runner.Run(std::cout, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
}

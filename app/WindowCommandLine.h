// The window program's command line: its options, checks and help text.
#pragma once

#include <string>
#include <vector>

#include "app/CommandLineParts.h"

struct WindowOptions;

class WindowCommandLine {
 public:
  using Outcome = CommandLineParts::Outcome;

  // On Error, error holds one line saying what is wrong.
  static Outcome Parse(const std::vector<std::string>& arguments, WindowOptions& options, std::string& error);
  static std::string Usage();
};

// The headless program's command line: its options, checks and help text.
#pragma once

#include <string>
#include <vector>

#include "app/CommandLineParts.h"

struct HeadlessOptions;

class CommandLine {
 public:
  using Outcome = CommandLineParts::Outcome;

  // On Error, error holds one line saying what is wrong.
  static Outcome ParseHeadless(const std::vector<std::string>& arguments, HeadlessOptions& options, std::string& error);
  static std::string HeadlessUsage();
};

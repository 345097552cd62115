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
  // The line that says the options ask for more threads than there are processors, "" when they
  // do not (or the number of processors is unknown, 0).
  static std::string CrowdedThreadsNote(const HeadlessOptions& options, unsigned processors);
};

// The command lines of the two programs: their options, checks and help texts.
#pragma once

#include <string>
#include <vector>

struct HeadlessOptions;
struct WindowOptions;

class CommandLine {
 public:
  enum class Outcome { Run, Help, Error };

  // On Error, error holds one line saying what is wrong.
  static Outcome ParseHeadless(const std::vector<std::string>& arguments, HeadlessOptions& options,
                               std::string& error);
  static Outcome ParseWindow(const std::vector<std::string>& arguments, WindowOptions& options, std::string& error);
  static std::string HeadlessUsage();
  static std::string WindowUsage();
};

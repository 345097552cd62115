// What the two programs' command lines share: the checks that name a wrong value's range, the
// options both take, and the parse that turns CLI11's exceptions into one line.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

class CommandLineParts {
 public:
  enum class Outcome { Run, Help, Error };

  // CLI11's own range check lets "nan" through and reads "inf" as a number.
  static CLI::Validator FiniteBetween(double low, double high);
  // CLI11's own conversion says only "could not convert" for "1.5" or "-1"; this names the range.
  static CLI::Validator WholeBetween(long long low, long long high);

  static CLI::Option* AddSeed(CLI::App& app, unsigned& seed);
  static void AddFrameMs(CLI::App& app, int& frameMs);
  static void AddScenario(CLI::App& app, std::string& file);
  static void AddGenerals(CLI::App& app, std::array<std::string, 2>& generals);
  static void AddMaxUnits(CLI::App& app, long long& maxUnits);
  static CLI::Option* AddThreads(CLI::App& app, int& threads);
  static void AddFlag(CLI::App& app, const char* name, bool& value, const char* help);

  // On Error, error holds one line saying what is wrong.
  static Outcome Parse(CLI::App& app, const std::vector<std::string>& arguments, std::string& error);
  // The exit status of a command line that was not to run: 0 for help (the usage written on
  // standard output), 2 for a mistake (the program's name, the reason and the usage on standard error).
  static int Stopped(Outcome outcome, const std::string& program, const std::string& error, const std::string& usage);
};

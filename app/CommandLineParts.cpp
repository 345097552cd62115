// The options both programs take, on CLI11.
#include "app/CommandLineParts.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "app/study/RunLimits.h"

namespace {
const char kFrameHelp[] =
    "simulated frame length in whole milliseconds, 1 to 130; longer steps overshoot the distance at "
    "which a walking unit arrives, so squads never form up and no battle ends";
}  // namespace

CLI::Validator CommandLineParts::FiniteBetween(double low, double high) {
  std::ostringstream description;
  description << "a number from " << low << " to " << std::fixed << std::setprecision(0) << high;
  const std::string text = description.str();
  return CLI::Validator(
      [low, high, text](std::string& input) -> std::string {
        double value = 0.0;
        if (!CLI::detail::lexical_cast(input, value) || !std::isfinite(value) || value < low || value > high) {
          return "needs " + text + ", not '" + input + "'";
        }
        return {};
      },
      "");
}

CLI::Validator CommandLineParts::WholeBetween(long long low, long long high) {
  const std::string text = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  return CLI::Validator(
      [low, high, text](std::string& input) -> std::string {
        long long value = 0;
        if (!CLI::detail::lexical_cast(input, value) || value < low || value > high) {
          return "needs " + text + ", not '" + input + "'";
        }
        return {};
      },
      "");
}

CLI::Option* CommandLineParts::AddSeed(CLI::App& app, unsigned& seed) {
  return app.add_option("--seed", seed, "seed of the random generator, 0 to 4294967295 (default: the clock)")
      ->type_name("N")
      ->check(WholeBetween(0, 4294967295LL));
}

void CommandLineParts::AddFrameMs(CLI::App& app, int& frameMs) {
  app.add_option("--frame-ms", frameMs, kFrameHelp)
      ->type_name("M")
      ->check(WholeBetween(1, RunLimits::kLongestFrameMs))
      ->capture_default_str();
}

void CommandLineParts::AddScenario(CLI::App& app, std::string& file) {
  app.add_option("--scenario", file, "scenario file (TOML) describing the battle (default: the built-in battle)")
      ->type_name("FILE")
      ->check(CLI::Validator(
          [](const std::string& input) -> std::string { return input.empty() ? "needs a file name, not ''" : ""; },
          ""));
}

void CommandLineParts::AddGenerals(CLI::App& app, std::array<std::string, 2>& generals) {
  const auto named = CLI::Validator(
      [](const std::string& input) -> std::string { return input.empty() ? "needs a file name, not ''" : ""; }, "");
  app.add_option("--red-general", generals[0],
                 "the red General's strategy script (Lua), over the scenario's (default: the built-in General)")
      ->type_name("FILE")
      ->check(named);
  app.add_option("--blue-general", generals[1], "the blue General's strategy script (Lua), over the scenario's")
      ->type_name("FILE")
      ->check(named);
}

void CommandLineParts::AddMaxUnits(CLI::App& app, long long& maxUnits) {
  app.add_option("--max-units", maxUnits,
                 "refuse a scenario that raises more units than this, both armies with their Generals together")
      ->type_name("N")
      ->check(WholeBetween(1, 1000000000))
      ->capture_default_str();
}

CLI::Option* CommandLineParts::AddThreads(CLI::App& app, int& threads) {
  return app
      .add_option("--threads", threads,
                  "step a battle on this many threads, 1 or 2: the same battle, a large army's (2048 objects or more) "
                  "sooner")
      ->type_name("N")
      ->check(WholeBetween(1, 2))
      ->capture_default_str();
}

void CommandLineParts::AddFlag(CLI::App& app, const char* name, bool& value, const char* help) {
  app.add_flag(name, value, help)->disable_flag_override();
}

CommandLineParts::Outcome CommandLineParts::Parse(CLI::App& app, const std::vector<std::string>& arguments,
                                                  std::string& error) {
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return Outcome::Help;
  } catch (const CLI::ParseError& failure) {
    error = failure.what();
    std::replace(error.begin(), error.end(), '\n', ' ');
    return Outcome::Error;
  }
  return Outcome::Run;
}

int CommandLineParts::Stopped(Outcome outcome, const std::string& program, const std::string& error,
                              const std::string& usage) {
  if (outcome == Outcome::Help) {
    std::cout << usage;
    return 0;
  }
  std::cerr << program << ": " << error << "\n" << usage;
  return 2;
}

// The window program's options on CLI11. The help text lists every option with its default.
#include "app/WindowCommandLine.h"

#include <CLI/CLI.hpp>
#include <map>
#include <memory>

#include "app/CommandLineParts.h"
#include "app/study/RunLimits.h"
#include "app/window/SimulationPace.h"
#include "app/window/WindowOptions.h"

namespace {
CLI::Validator OneOfTheSpeeds() {
  return CLI::Validator(
      [](std::string& input) -> std::string {
        double value = 0.0;
        if (CLI::detail::lexical_cast(input, value) && SimulationPace::IsSpeed(value)) return {};
        return "needs one of 0.25, 0.5, 1, 2, 4, 8, 16, not '" + input + "'";
      },
      "");
}

std::unique_ptr<CLI::App> WindowApp(WindowOptions& options) {
  auto app = std::make_unique<CLI::App>(
      "The battle window. With no options it runs battle after battle on the clock's seed, one step per "
      "frame; with --seed, --battle, --at or --frame-ms it runs fixed steps, and battle K of a seed is battle K "
      "of battlesim-headless with that seed.",
      "battlesim");
  CommandLineParts::AddSeed(*app, options.seed);
  CommandLineParts::AddFrameMs(*app, options.frameMs);
  CommandLineParts::AddScenario(*app, options.scenarioFile);
  CommandLineParts::AddGenerals(*app, options.generals);
  CommandLineParts::AddMaxUnits(*app, options.maxUnits);
  CommandLineParts::AddThreads(*app, options.threads);
  app->add_option("--battle", options.battle, "play battles 1 to K-1 without drawing, then show battle K")
      ->type_name("K")
      ->check(CommandLineParts::WholeBetween(1, RunLimits::kMostBattles))
      ->capture_default_str();
  app->add_option("--at", options.at,
                  "start watching battle K at this simulated second (0 to 604800), played to it without drawing; "
                  "[ and ] jump 10 s back and on, Home to the battle's start")
      ->type_name("SECONDS")
      ->check(CommandLineParts::FiniteBetween(0.0, RunLimits::kLongestBattleSeconds));
  app->add_option("--speed", options.speed,
                  "simulated seconds per wall second at the start: 0.25, 0.5, 1, 2, 4, 8 or 16; + and - change it")
      ->type_name("X")
      ->check(OneOfTheSpeeds())
      ->capture_default_str();
  app->add_option("--lead", options.lead,
                  "lead this side yourself: click a unit to select its squad, right click the ground to send it, v "
                  "its formation, g the General fights; runs fixed steps, and --report records every order")
      ->type_name("red|blue")
      ->transform(CLI::CheckedTransformer(std::map<std::string, int>{{"red", 0}, {"blue", 1}}));
  app->add_option("--edit", options.editFile,
                  "open the editor on this scenario file (a new one if it does not exist): click to place squads, "
                  "Ctrl+S saves, Enter starts the battle, e comes back to the layout")
      ->type_name("FILE")
      ->excludes("--lead")
      ->excludes("--scenario");
  app->add_option("--load", options.loadFile,
                  "open the battle saved in this file where it stood, with its seed, frame length and blood "
                  "(no jumps back)")
      ->type_name("FILE");
  CommandLineParts::AddFlag(*app, "--report", options.report, "print each finished battle's line on standard output");
  CommandLineParts::AddFlag(*app, "--json", options.json, "with --report: one JSON object per line");
  app->get_option("--json")->needs("--report");
  return app;
}
}  // namespace

WindowCommandLine::Outcome WindowCommandLine::Parse(const std::vector<std::string>& arguments, WindowOptions& options,
                                                    std::string& error) {
  WindowOptions parsed = options;
  auto app = WindowApp(parsed);
  const Outcome outcome = CommandLineParts::Parse(*app, arguments, error);
  if (outcome != Outcome::Run) return outcome;
  parsed.seedGiven = app->count("--seed") > 0;
  parsed.atGiven = app->count("--at") > 0;
  // A led battle is played again from its report: its steps must not follow the frame rate.
  parsed.fixedSteps = parsed.lead >= 0 || parsed.seedGiven || parsed.atGiven || app->count("--battle") > 0 ||
                      app->count("--frame-ms") > 0;
  options = parsed;
  return outcome;
}

std::string WindowCommandLine::Usage() {
  WindowOptions options;
  return WindowApp(options)->help();
}

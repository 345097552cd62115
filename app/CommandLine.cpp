// Both programs' options on CLI11. Help texts list every option with its default.
#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <iomanip>
#include <memory>
#include <sstream>

#include "app/setup/HeadlessOptions.h"
#include "app/setup/SeedRange.h"
#include "app/study/RunLimits.h"
#include "app/window/SimulationPace.h"
#include "app/window/WindowOptions.h"

namespace {
const char kFrameHelp[] =
    "simulated frame length in whole milliseconds, 1 to 130; longer steps overshoot the distance at "
    "which a walking unit arrives, so squads never form up and no battle ends";

// CLI11's own range check lets "nan" through and reads "inf" as a number.
CLI::Validator FiniteBetween(double low, double high) {
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

// CLI11's own conversion says only "could not convert" for "1.5" or "-1"; this names the range.
CLI::Validator WholeBetween(long long low, long long high) {
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

CLI::Validator OneOfTheSpeeds() {
  return CLI::Validator(
      [](std::string& input) -> std::string {
        double value = 0.0;
        if (CLI::detail::lexical_cast(input, value) && SimulationPace::IsSpeed(value)) return {};
        return "needs one of 0.25, 0.5, 1, 2, 4, 8, 16, not '" + input + "'";
      },
      "");
}

CLI::Option* AddSeed(CLI::App& app, unsigned& seed) {
  return app.add_option("--seed", seed, "seed of the random generator, 0 to 4294967295 (default: the clock)")
      ->type_name("N")
      ->check(WholeBetween(0, 4294967295LL));
}

void AddFrameMs(CLI::App& app, int& frameMs) {
  app.add_option("--frame-ms", frameMs, kFrameHelp)
      ->type_name("M")
      ->check(WholeBetween(1, RunLimits::kLongestFrameMs))
      ->capture_default_str();
}

void AddScenario(CLI::App& app, std::string& file) {
  app.add_option("--scenario", file, "scenario file (TOML) describing the battle (default: the built-in battle)")
      ->type_name("FILE")
      ->check(CLI::Validator(
          [](const std::string& input) -> std::string { return input.empty() ? "needs a file name, not ''" : ""; },
          ""));
}

void AddGenerals(CLI::App& app, std::array<std::string, 2>& generals) {
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

void AddMaxUnits(CLI::App& app, long long& maxUnits) {
  app.add_option("--max-units", maxUnits,
                 "refuse a scenario that raises more units than this, both armies with their Generals together")
      ->type_name("N")
      ->check(WholeBetween(1, 1000000000))
      ->capture_default_str();
}

// Checks a range or shard text with the parser that later reads it, so both agree on what is good.
CLI::Validator SeedText(std::string (*parse)(const std::string&, SeedRange&)) {
  return CLI::Validator(
      [parse](std::string& input) {
        SeedRange ignored;
        return parse(input, ignored);
      },
      "");
}

void AddStudy(CLI::App& app, HeadlessOptions& options, CLI::Option* seed) {
  CLI::Option* seeds = app.add_option_function<std::string>(
                              "--seeds",
                              [&options](const std::string& text) {
                                SeedRange::ParseRange(text, options.seeds);
                                options.study = true;
                              },
                              "run every seed from A to B from a fresh start, --battles each; battle lines carry "
                              "their seed and one summary covers the range")
                          ->type_name("A-B")
                          ->check(SeedText(&SeedRange::ParseRange))
                          ->excludes(seed);
  app.add_option_function<std::string>(
         "--shard", [&options](const std::string& text) { SeedRange::ParseShard(text, options.seeds); },
         "with --seeds: run only the seeds at positions I, I+N, I+2N, ... of the range (I from 0); merge the "
         "shards' --json output with --merge")
      ->type_name("I/N")
      ->check(SeedText(&SeedRange::ParseShard))
      ->needs(seeds);
  CLI::Option* merge =
      app.add_option("--merge", options.mergeFiles,
                     "run no battles: read the --json output of a study's shards and print the one summary of them all")
          ->type_name("FILE")
          ->expected(1, -1)
          ->excludes(seed)
          ->excludes(seeds);
  app.add_option("--verify", options.verifyFiles,
                 "check the --json output of a run, a study or its shards, a tournament (its strategy files after "
                 "it) or the window's --report as --merge does, play its battles again (seed, frame length, battles, "
                 "blood and time limit from the files; a scenario file again with --scenario) and name each battle "
                 "that ends otherwise")
      ->type_name("FILE")
      ->expected(1, -1)
      ->excludes(seed)
      ->excludes(seeds)
      ->excludes(merge);
  app.add_option("--jobs", options.jobs,
                 "run this many seeds of --seeds (or of --verify) at once, each on a thread of its own, 1 to 1024; "
                 "the output is the same as with one, but for the summary's timings")
      ->type_name("N")
      ->check(WholeBetween(1, RunLimits::kMostJobs))
      ->capture_default_str()
      ->excludes(merge);
}

void AddFlag(CLI::App& app, const char* name, bool& value, const char* help) {
  app.add_flag(name, value, help)->disable_flag_override();
}

// What the battles looked like from inside: units' trace lines and the balance per second.
void AddInsideViews(CLI::App& app, HeadlessOptions& options) {
  app.add_option("--trace", options.traceNames,
                 "write the trace lines of the unit of this name, or of every unit whose name starts with it "
                 "when it ends in a blank (\"Archer \"); repeatable")
      ->type_name("NAME")
      ->allow_extra_args(false);
  app.add_option("--trace-file", options.traceFile, "write the --trace lines to this file instead of standard output")
      ->type_name("FILE")
      ->needs("--trace");
  app.add_option("--timeline", options.timelineFile,
                 "write per battle and simulated second the units alive on each side and the duels (CSV)")
      ->type_name("FILE.csv");
  app.add_option("--fingerprint-every", options.fingerprintEvery,
                 "write after every N steps a line \"step S fingerprint F\": where two builds' battles part")
      ->type_name("N")
      ->check(CLI::Range(1LL, 1000000000LL));
  app.add_option("--state-at-step", options.stateAtStep,
                 "write every field the fingerprint covers after step S (\"step S object NAME: FIELD = VALUE\"), "
                 "then stop: the first line that differs between two builds names the object and field")
      ->type_name("S")
      ->check(CLI::Range(1LL, 1000000000000LL));
  // A study runs each seed afresh and a merge runs nothing: neither has one battle numbering to
  // write these against.
  for (const char* view : {"--trace", "--trace-file", "--timeline", "--fingerprint-every", "--state-at-step"}) {
    app.get_option(view)->excludes("--seeds")->excludes("--merge");
  }
}

// Needs the study's options defined first: it names them.
void AddTournament(CLI::App& app, HeadlessOptions& options) {
  CLI::Option* tournament =
      app.add_option("--tournament", options.tournament,
                     "with --seeds: play every pair of these strategy files (Lua) on each seed, each leading red "
                     "once, battle 1 of the seed from a fresh start; then rank them by win rate")
          ->type_name("FILE.lua")
          ->expected(1, -1);
  for (const char* other : {"--seed", "--battles", "--merge", "--memory", "--red-general", "--blue-general"}) {
    tournament->excludes(other);
  }
  tournament->needs("--seeds");
  app.add_flag("--until-decided", options.untilDecided,
               "with --tournament: stop each pair once its sequential test (SPRT, 0 against 20 Elo, 5% errors) "
               "decides, seed by seed in order")
      ->disable_flag_override()
      ->needs(tournament)
      ->excludes("--shard");
}

std::unique_ptr<CLI::App> HeadlessApp(HeadlessOptions& options) {
  auto app = std::make_unique<CLI::App>("Battles without a window, reported line by line.", "battlesim-headless");
  CLI::Option* seed = AddSeed(*app, options.seed);
  AddStudy(*app, options, seed);
  app->add_option("--battles", options.battles, "battles to finish, 1 to 1000000")
      ->type_name("K")
      ->check(WholeBetween(1, RunLimits::kMostBattles))
      ->capture_default_str();
  AddFrameMs(*app, options.frameMs);
  app->add_option("--max-seconds", options.maxSeconds,
                  "simulated seconds after which a battle counts as unfinished and the run stops, up to 604800")
      ->type_name("T")
      ->check(FiniteBetween(0.001, RunLimits::kLongestBattleSeconds))
      ->capture_default_str();
  AddScenario(*app, options.scenarioFile);
  AddGenerals(*app, options.generals);
  AddMaxUnits(*app, options.maxUnits);
  app->add_flag_callback("--no-blood", [&options] { options.blood = false; }, "start with blood splats switched off")
      ->disable_flag_override();
  AddFlag(*app, "--json", options.json, "one JSON object per line instead of text");
  AddFlag(*app, "--memory", options.memory, "add the resident memory after each battle");
  AddInsideViews(*app, options);
  // The files say how their battles were run.
  for (const char* setting : {"--battles", "--frame-ms", "--max-seconds", "--no-blood", "--json", "--memory", "--trace",
                              "--timeline"}) {
    app->get_option(setting)->excludes("--verify");
  }
  AddTournament(*app, options);
  return app;
}

std::unique_ptr<CLI::App> WindowApp(WindowOptions& options) {
  auto app = std::make_unique<CLI::App>(
      "The battle window. With no options it runs battle after battle on the clock's seed, one step per "
      "frame; with --seed, --battle, --at or --frame-ms it runs fixed steps, and battle K of a seed is battle K "
      "of battlesim-headless with that seed.",
      "battlesim");
  AddSeed(*app, options.seed);
  AddFrameMs(*app, options.frameMs);
  AddScenario(*app, options.scenarioFile);
  AddGenerals(*app, options.generals);
  AddMaxUnits(*app, options.maxUnits);
  app->add_option("--battle", options.battle, "play battles 1 to K-1 without drawing, then show battle K")
      ->type_name("K")
      ->check(WholeBetween(1, RunLimits::kMostBattles))
      ->capture_default_str();
  app->add_option("--at", options.at,
                  "start watching battle K at this simulated second (0 to 604800), played to it without drawing; "
                  "[ and ] jump 10 s back and on, Home to the battle's start")
      ->type_name("SECONDS")
      ->check(FiniteBetween(0.0, RunLimits::kLongestBattleSeconds));
  app->add_option("--speed", options.speed,
                  "simulated seconds per wall second at the start: 0.25, 0.5, 1, 2, 4, 8 or 16; + and - change it")
      ->type_name("X")
      ->check(OneOfTheSpeeds())
      ->capture_default_str();
  AddFlag(*app, "--report", options.report, "print each finished battle's line on standard output");
  AddFlag(*app, "--json", options.json, "with --report: one JSON object per line");
  app->get_option("--json")->needs("--report");
  return app;
}

// CLI11 wants the arguments last first.
CommandLine::Outcome Parse(CLI::App& app, const std::vector<std::string>& arguments, std::string& error) {
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return CommandLine::Outcome::Help;
  } catch (const CLI::ParseError& failure) {
    error = failure.what();
    std::replace(error.begin(), error.end(), '\n', ' ');
    return CommandLine::Outcome::Error;
  }
  return CommandLine::Outcome::Run;
}
}  // namespace

CommandLine::Outcome CommandLine::ParseHeadless(const std::vector<std::string>& arguments, HeadlessOptions& options,
                                                std::string& error) {
  HeadlessOptions parsed = options;
  auto app = HeadlessApp(parsed);
  const Outcome outcome = Parse(*app, arguments, error);
  if (outcome != Outcome::Run) return outcome;
  parsed.seedGiven = app->count("--seed") > 0;
  if (parsed.tournament.size() == 1) {
    error = "--tournament needs two strategy files or more, not one";
    return Outcome::Error;
  }
  options = parsed;
  return outcome;
}

CommandLine::Outcome CommandLine::ParseWindow(const std::vector<std::string>& arguments, WindowOptions& options,
                                              std::string& error) {
  WindowOptions parsed = options;
  auto app = WindowApp(parsed);
  const Outcome outcome = Parse(*app, arguments, error);
  if (outcome != Outcome::Run) return outcome;
  parsed.seedGiven = app->count("--seed") > 0;
  parsed.atGiven = app->count("--at") > 0;
  parsed.fixedSteps =
      parsed.seedGiven || parsed.atGiven || app->count("--battle") > 0 || app->count("--frame-ms") > 0;
  options = parsed;
  return outcome;
}

std::string CommandLine::HeadlessUsage() {
  HeadlessOptions options;
  return HeadlessApp(options)->help();
}

std::string CommandLine::WindowUsage() {
  WindowOptions options;
  return WindowApp(options)->help();
}

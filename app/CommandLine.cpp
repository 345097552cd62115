// The headless program's options on CLI11. The help text lists every option with its default.
#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "app/CommandLineParts.h"
#include "app/setup/HeadlessOptions.h"
#include "app/setup/SeedRange.h"
#include "app/study/RunLimits.h"

namespace {
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
         "with --seeds or --design: run only the seeds at positions I, I+N, I+2N, ... of the range (I from 0); merge the "
         "shards' --json output with --merge")
      ->type_name("I/N")
      ->check(SeedText(&SeedRange::ParseShard));
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
      ->check(CommandLineParts::WholeBetween(1, RunLimits::kMostJobs))
      ->capture_default_str()
      ->excludes(merge);
  CLI::Option* threads = CommandLineParts::AddThreads(app, options.threads)->excludes(merge);
  threads->description(threads->get_description() + "; with --jobs, each job's battle takes that many");
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
                 "write after every N steps a line \"step S fingerprint F\" (with --json "
                 "{\"step\":S,\"fingerprint\":F}): where two builds' battles part")
      ->type_name("N")
      ->check(CommandLineParts::WholeBetween(1, 1000000000LL));
  app.add_option("--state-at-step", options.stateAtStep,
                 "write every field the fingerprint covers after step S (\"step S object NAME: FIELD = VALUE\"), "
                 "then stop: the first line that differs between two builds names the object and field")
      ->type_name("S")
      ->check(CommandLineParts::WholeBetween(1, 1000000000000LL));
  app.add_option("--save", options.saveFile,
                 "write the whole battle to this file when the run stops (at --max-seconds, after the last battle, "
                 "on Ctrl-C), to play on with --load")
      ->type_name("FILE");
  app.add_option("--load", options.loadFile,
                 "play on the battle saved in this file, with its seed, scenario, frame length and blood")
      ->type_name("FILE");
  // A study runs each seed afresh and a merge runs nothing: neither has one battle numbering to
  // write these against.
  for (const char* view : {"--trace", "--trace-file", "--timeline", "--fingerprint-every", "--state-at-step", "--save",
                           "--load"}) {
    app.get_option(view)->excludes("--seeds")->excludes("--merge");
  }
}

// Needs the study's, the inside views' and the tournament's options defined first: it names them.
void AddDesign(CLI::App& app, HeadlessOptions& options) {
  CLI::Option* design =
      app.add_option("--design", options.designFile,
                     "run the designed study of this file (TOML): every point's battle, its replicates each with "
                     "its own seed; battle lines carry their point, replicate and factors")
          ->type_name("FILE");
  for (const char* other : {"--seed", "--seeds", "--battles", "--scenario", "--merge", "--tournament", "--trace",
                            "--trace-file", "--timeline", "--fingerprint-every", "--state-at-step"}) {
    design->excludes(other);
  }
  CLI::Option* point = app.add_option("--point", options.designPoint, "with --design: run only this point (from 1)")
                           ->type_name("K")
                           ->check(CommandLineParts::WholeBetween(1, 1000000))
                           ->needs(design)
                           ->excludes("--verify");
  app.add_option("--replicate", options.designReplicate,
                 "with --point: run only this replicate of it (from 1): the battle of one line again")
      ->type_name("R")
      ->check(CommandLineParts::WholeBetween(1, 1000000))
      ->needs(point);
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
  CLI::Option* seed = CommandLineParts::AddSeed(*app, options.seed);
  AddStudy(*app, options, seed);
  app->add_option("--battles", options.battles, "battles to finish, 1 to 1000000")
      ->type_name("K")
      ->check(CommandLineParts::WholeBetween(1, RunLimits::kMostBattles))
      ->capture_default_str();
  CommandLineParts::AddFrameMs(*app, options.frameMs);
  app->add_option("--max-seconds", options.maxSeconds,
                  "simulated seconds after which a battle counts as unfinished and the run stops, up to 604800")
      ->type_name("T")
      ->check(CommandLineParts::FiniteBetween(0.001, RunLimits::kLongestBattleSeconds))
      ->capture_default_str();
  CommandLineParts::AddScenario(*app, options.scenarioFile);
  CommandLineParts::AddGenerals(*app, options.generals);
  CommandLineParts::AddMaxUnits(*app, options.maxUnits);
  app->add_flag_callback("--no-blood", [&options] { options.blood = false; }, "start with blood splats switched off")
      ->disable_flag_override();
  CommandLineParts::AddFlag(*app, "--json", options.json, "one JSON object per line instead of text");
  CommandLineParts::AddFlag(*app, "--memory", options.memory, "add the resident memory after each battle");
  AddInsideViews(*app, options);
  // The files say how their battles were run.
  for (const char* setting : {"--battles", "--frame-ms", "--max-seconds", "--no-blood", "--json", "--memory", "--trace",
                              "--timeline"}) {
    app->get_option(setting)->excludes("--verify");
  }
  AddTournament(*app, options);
  AddDesign(*app, options);
  app->add_option("--orders", options.ordersFile,
                  "play again the battles of the window's --report --json of a battle led by hand (battlesim --lead), "
                  "its orders at their steps; seed, frame length and battles from the report unless given")
      ->type_name("REPORT")
      ->excludes("--verify")
      ->excludes("--seeds")
      ->excludes("--merge")
      ->excludes("--tournament");
  // A saved battle is one battle of its own seed: neither a design's many nor a led one's orders.
  for (const char* file : {"--save", "--load"}) {
    app->get_option(file)->excludes("--design")->excludes("--orders");
  }
  return app;
}

}  // namespace

CommandLine::Outcome CommandLine::ParseHeadless(const std::vector<std::string>& arguments, HeadlessOptions& options,
                                                std::string& error) {
  HeadlessOptions parsed = options;
  auto app = HeadlessApp(parsed);
  const Outcome outcome = CommandLineParts::Parse(*app, arguments, error);
  if (outcome != Outcome::Run) return outcome;
  parsed.seedGiven = app->count("--seed") > 0;
  if (app->count("--shard") > 0 && app->count("--seeds") == 0 && app->count("--design") == 0) {
    error = "--shard requires --seeds or --design";
    return Outcome::Error;
  }
  parsed.battlesGiven = app->count("--battles") > 0;
  parsed.frameMsGiven = app->count("--frame-ms") > 0;
  if (parsed.tournament.size() == 1) {
    error = "--tournament needs two strategy files or more, not one";
    return Outcome::Error;
  }
  options = parsed;
  return outcome;
}

// Threads beyond the processors' own only take turns with each other: the battles stay the same,
// the run gets slower.
std::string CommandLine::CrowdedThreadsNote(const HeadlessOptions& options, unsigned processors) {
  const long long asked = static_cast<long long>(options.jobs) * options.threads;
  if (options.threads < 2 || processors == 0 || asked <= processors) return "";
  return "--jobs " + std::to_string(options.jobs) + " with --threads " + std::to_string(options.threads) +
         " asks for " + std::to_string(asked) + " threads on " + std::to_string(processors) +
         " processors; for many seeds, --jobs " + std::to_string(processors) + " alone gets through them sooner";
}

std::string CommandLine::HeadlessUsage() {
  HeadlessOptions options;
  return HeadlessApp(options)->help();
}


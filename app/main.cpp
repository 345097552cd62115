// Entry point of the battle window: reads the options, opens the window, starts the first battle
// and runs the toolkit's loop, which returns only when the user interrupts the program.
#include <GL/freeglut.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowCommandLine.h"
#include "app/lead/LedSideSource.h"
#include "app/lead/OrderBook.h"
#include "app/run/BattleRecorder.h"
#include "app/run/HeadlessRunner.h"
#include "app/run/RunSummary.h"
#include "app/setup/BattleSetup.h"
#include "app/setup/MissingFiles.h"
#include "app/window/BattleScrubber.h"
#include "app/window/EditMode.h"
#include "app/window/Game.h"
#include "app/window/GameWindow.h"
#include "app/window/Input.h"
#include "app/window/LeadMode.h"
#include "app/window/SimulationPace.h"
#include "app/window/WindowOptions.h"
#include "app/window/WindowReport.h"
#include "battle/BattleFile.h"
#include "battle/BattleTimeline.h"
#include "platform/Interrupt.h"
#include "platform/Random.h"
#include "render/Graphics.h"

namespace {
// The battles before the one the user asked to watch, without drawing and as fast as the
// headless runner plays them.
void PlayBattlesBefore(int battle, Game& game, SimulationPace& pace, BattleRecorder& recorder) {
  while (recorder.Finished() < battle - 1 && !Interrupt::Requested()) {
    const std::uint32_t before = pace.SimulatedMs();
    game.battle->timer.TickTo(pace.AdvanceOneStep());
    game.RunRecordedStep(static_cast<double>(pace.SimulatedMs() - before));
  }
}

// A battle may end before the second asked for; the window then shows the one after it.
void PlayTo(double second, const WindowOptions& options, BattleScrubber& scrubber, const BattleRecorder& recorder) {
  if (scrubber.JumpTo(second) || Interrupt::Requested()) return;
  std::cerr << "battlesim: battle " << options.battle << " ended after " << recorder.LastFinished().seconds
            << " s, before --at " << second << "; showing the battle after it\n";
}

void PrintSummary(const WindowOptions& options, const Scenario& scenario, unsigned seed, const Game& game,
                  bool interrupted) {
  RunSummary counts;
  counts.seed = seed;
  counts.finished = game.recorder->Finished();
  counts.redWins = game.recorder->RedWins();
  counts.blueWins = game.recorder->BlueWins();
  counts.interrupted = interrupted;
  const RunSummary summary = WindowReport::Summary(options, scenario, counts, game.firstChangedBattle);
  std::cout << summary.Format(options.json) << std::flush;
}
// The editor's file is read like any scenario; a new one starts with empty armies.
bool LoadScenario(WindowOptions& options, Scenario& scenario, std::string& error) {
  if (options.editFile.empty()) {
    return BattleSetup::Load(options.scenarioFile, options.maxUnits, options.generals, scenario, error);
  }
  // The report names the file as it stands when the window ends, saved or not.
  options.scenarioFile = options.editFile;
  std::error_code missing;
  if (std::filesystem::exists(options.editFile, missing)) {
    return BattleSetup::Load(options.scenarioFile, options.maxUnits, options.generals, scenario, error);
  }
  if (!BattleSetup::Load("", options.maxUnits, options.generals, scenario, error)) return false;
  for (ArmySetup& army : scenario.armies) army.squads = 0;
  return true;
}

// The battle of a file, and the seed, frame length, blood and clock it was saved with; null, the
// reason said, for a file refused or asked for beside what it replaces.
std::unique_ptr<Battle> OpenSaved(WindowOptions& options, std::uint32_t& elapsedMs) {
  if (options.seedGiven || !options.scenarioFile.empty() || options.battle != 1 || options.atGiven ||
      options.lead >= 0 || !options.editFile.empty()) {
    std::cerr << "battlesim: --load opens the saved battle where it stood: give neither --seed, --scenario, --battle, "
                 "--at, --lead nor --edit with it\n";
    return nullptr;
  }
  std::string settings;
  std::string error;
  std::unique_ptr<Battle> battle = BattleFile::Load(options.loadFile, settings, error);
  HeadlessOptions saved;
  if (battle != nullptr && !HeadlessRunner::ReadSettings(settings, saved, elapsedMs)) {
    error = options.loadFile + ": a battle file that no run of battlesim saved";
    battle.reset();
  }
  if (battle == nullptr) {
    std::cerr << "battlesim: " << error << "\n";
    return nullptr;
  }
  options.seed = saved.seed;
  options.seedGiven = true;
  options.fixedSteps = true;
  options.frameMs = saved.frameMs;
  return battle;
}
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  WindowOptions options;
  std::string error;
  const WindowCommandLine::Outcome outcome = WindowCommandLine::Parse(arguments, options, error);
  if (outcome != WindowCommandLine::Outcome::Run) {
    return CommandLineParts::Stopped(outcome, "battlesim", error, WindowCommandLine::Usage());
  }
  std::uint32_t loadedMs = 0;
  std::unique_ptr<Battle> loaded;
  if (!options.loadFile.empty() && (loaded = OpenSaved(options, loadedMs)) == nullptr) return 2;
  Scenario scenario;
  if (loaded != nullptr) {
    scenario = loaded->scenario;
  } else if (!LoadScenario(options, scenario, error)) {
    std::cerr << "battlesim: " << error << "\n";
    return 2;
  }
  const auto book = std::make_shared<OrderBook>();
  if (options.lead >= 0) scenario.armies[options.lead].commander = std::make_shared<LedSideSource>(book);
  const unsigned seed = BattleSetup::SeedOrClock(options.seedGiven, options.seed);
  // Said at the start, as the headless runner does; only with fixed steps does the seed bring the
  // same battles back.
  if (options.fixedSteps && !options.seedGiven) {
    std::cerr << "battlesim: seed " << seed << " (watch these battles again with --seed " << seed << ")\n";
  } else if (!options.seedGiven) {
    std::cerr << "battlesim: seed " << seed << "\n";
  }

  GameWindow::Open(argc, argv);
  // Held until the process ends: the quit keys and the window close exit from inside the loop.
  auto graphics = std::make_unique<Graphics>();
  auto input = std::make_unique<Input>();
  auto game = std::make_unique<Game>(graphics.get(), input.get(), scenario, seed);
  if (loaded != nullptr) game->battle = std::move(loaded);
  MissingFiles::ReportGround(*game->battle, "battlesim");
  game->stepThreads = options.threads;
  game->battle->SetStepThreads(options.threads);
  auto pace = std::make_unique<SimulationPace>(options.fixedSteps ? options.frameMs : 0, options.speed,
                                               game->battle->timer.startTick);
  auto recorder = std::make_unique<BattleRecorder>();
  if (options.report) recorder->WriteLinesTo(&std::cout, options.json);
  if (!options.loadFile.empty()) pace->StartAt(loadedMs);
  game->pace = pace.get();
  game->recorder = recorder.get();
  if (options.report) {
    game->onQuit = [&options, &scenario, seed, &game] { PrintSummary(options, scenario, seed, *game, false); };
  }
  auto timeline = std::make_unique<BattleTimeline>();
  game->timeline = timeline.get();
  std::unique_ptr<BattleScrubber> scrubber;
  // Jumps go back to a battle's start, which a battle opened from a file does not have.
  if (options.fixedSteps && options.loadFile.empty()) scrubber = std::make_unique<BattleScrubber>(*game, options.frameMs);
  game->scrubber = scrubber.get();
  std::unique_ptr<LeadMode> lead;
  if (options.lead >= 0) lead = std::make_unique<LeadMode>(*game, book, options.lead);
  std::unique_ptr<EditMode> editor;
  if (!lead) {
    editor = std::make_unique<EditMode>(*game, options.editFile.empty() ? options.scenarioFile : options.editFile,
                                        scenario, seed);
  }
  input->mode = lead ? static_cast<InputMode*>(lead.get()) : editor.get();
  GameWindow::Show(game.get());
  if (options.loadFile.empty()) game->StartBattle();
  if (!options.editFile.empty()) editor->Open();
  Interrupt::Watch();
  if (options.fixedSteps && options.loadFile.empty()) PlayBattlesBefore(options.battle, *game, *pace, *recorder);
  if (options.atGiven && !Interrupt::Requested()) PlayTo(options.at, options, *scrubber, *recorder);
  if (!Interrupt::Requested()) glutMainLoop();
  // Only an interrupt leaves the loop; the subsystems' GL is gone with the window, so the process
  // ends here without taking them down.
  // The spare battlefield's thread must not run on while the process ends.
  scrubber.reset();
  // The toolkit's close callback may still run as the process ends: the summary is said here, once.
  game->onQuit = nullptr;
  if (options.report) PrintSummary(options, scenario, seed, *game, true);
  std::exit(RunSummary::kInterruptedStatus);
}

// The headless battle runner: the window program's frame step on a hand-driven clock.
#include "app/HeadlessRunner.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

#include "app/Game.h"
#include "app/StepHistogram.h"
#include "platform/DebugChannel.h"
#include "platform/ProcessMemory.h"
#include "platform/Random.h"
#include "platform/TickCounter.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kLongestFrameMs = 1000;

template <class Number>
bool ParseNumber(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// The terrain's loading lines are the window program's diagnostics; a batch run keeps its
// standard error for its own progress.
void DiscardDebugText(std::string_view /*text*/) {}

int KillSum(const Game& game) {
  return game.soldierKills + game.archerKills + game.berserkerKills + game.leaderKills + game.generalKills;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Restores what a run changes in process-wide state, whatever way the run ends.
class RunScope {
 public:
  explicit RunScope(bool blood) : savedBlood(bloodEnabled) {
    bloodEnabled = blood;
    TickCounter::UseManual(0);
    DebugChannel::SetSink(DiscardDebugText);
  }
  ~RunScope() {
    Game::SetInstance(nullptr);
    TickCounter::UseClock();
    DebugChannel::SetSink(nullptr);
    bloodEnabled = savedBlood;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  bool savedBlood;
};
}  // namespace

std::string HeadlessRunner::Usage() {
  return "usage: battlesim-headless [--seed N] [--battles K] [--frame-ms M] [--max-seconds T] [--no-blood] [--json] "
         "[--memory]\n"
         "  --seed N         seed of the random generator (default: the clock)\n"
         "  --battles K      battles to finish (default 1)\n"
         "  --frame-ms M     simulated frame length in whole milliseconds, 1 to 1000 (default 16)\n"
         "  --max-seconds T  simulated seconds after which a battle counts as unfinished (default 1800)\n"
         "  --no-blood       start with blood splats switched off\n"
         "  --json           one JSON object per line\n"
         "  --memory         report the resident memory after each battle\n";
}

bool HeadlessRunner::ParseArguments(const std::vector<std::string>& arguments, HeadlessOptions& options,
                                    std::string& error) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::string value;
    bool hasValue = false;
    if (const auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    const bool takesValue = name == "--seed" || name == "--battles" || name == "--frame-ms" || name == "--max-seconds";
    if (takesValue && !hasValue) {
      if (i + 1 >= arguments.size()) {
        error = name + " needs a value";
        return false;
      }
      value = arguments[++i];
    } else if (!takesValue && hasValue) {
      error = name + " takes no value";
      return false;
    }

    if (name == "--seed") {
      if (!ParseNumber(value, options.seed)) {
        error = "--seed needs a whole number from 0 to 4294967295, not '" + value + "'";
        return false;
      }
      options.seedGiven = true;
    } else if (name == "--battles") {
      if (!ParseNumber(value, options.battles) || options.battles < 1) {
        error = "--battles needs a whole number of at least 1, not '" + value + "'";
        return false;
      }
    } else if (name == "--frame-ms") {
      if (!ParseNumber(value, options.frameMs) || options.frameMs < 1 || options.frameMs > kLongestFrameMs) {
        error = "--frame-ms needs a whole number from 1 to 1000, not '" + value + "'";
        return false;
      }
    } else if (name == "--max-seconds") {
      if (!ParseNumber(value, options.maxSeconds) || !(options.maxSeconds > 0.0) ||
          !std::isfinite(options.maxSeconds)) {
        error = "--max-seconds needs a positive number, not '" + value + "'";
        return false;
      }
    } else if (name == "--no-blood") {
      options.blood = false;
    } else if (name == "--json") {
      options.json = true;
    } else if (name == "--memory") {
      options.memory = true;
    } else {
      error = "unknown argument '" + arguments[i] + "'";
      return false;
    }
  }
  return true;
}

HeadlessRunner::HeadlessRunner(const HeadlessOptions& runOptions) : options(runOptions) {}

double HeadlessRunner::SimulatedSeconds(long long frames) const {
  return static_cast<double>(frames) * options.frameMs / 1000.0;
}

// Kills are counted since the start of the run; a battle's casualties are the kills made since
// the battle before it ended (only duels kill, and every duel won counts one of each).
void HeadlessRunner::CloseReport(const Game& game, int killsBefore, BattleReport& report) const {
  report.seconds = SimulatedSeconds(report.frames);
  report.casualties = KillSum(game) - killsBefore;
  report.soldierKills = game.soldierKills;
  report.archerKills = game.archerKills;
  report.berserkerKills = game.berserkerKills;
  report.leaderKills = game.leaderKills;
  report.generalKills = game.generalKills;
  report.stateChanges = game.stateChanges;
  if (options.memory) report.residentKb = ProcessMemory::ResidentKilobytes();
}

int HeadlessRunner::Run(std::ostream& out, std::ostream* progress) {
  RunScope scope(options.blood);
  platform::SeedRand(options.seed);
  auto game = std::make_unique<Game>(nullptr, nullptr);
  Game::SetInstance(game.get());
  game->StartBattle();

  const auto framesAllowed = static_cast<long long>(std::ceil(options.maxSeconds * 1000.0 / options.frameMs));
  RunSummary summary;
  summary.seed = options.seed;
  StepHistogram steps;
  long long framesRun = 0;
  BattleReport report;
  report.battle = 1;
  int killsBefore = 0;
  const Clock::time_point runStart = Clock::now();
  Clock::time_point lastProgress = runStart;

  while (summary.finished < options.battles) {
    TickCounter::Advance(static_cast<std::uint32_t>(options.frameMs));
    const Clock::time_point stepStart = Clock::now();
    game->Frame();
    steps.Add(std::chrono::duration<double, std::micro>(Clock::now() - stepStart).count());
    ++framesRun;
    ++report.frames;

    if (game->redWins + game->blueWins != summary.redWins + summary.blueWins) {
      report.finished = true;
      report.redWon = game->redWins > summary.redWins;
      CloseReport(*game, killsBefore, report);
      out << FormatBattle(report, options.json) << std::flush;
      ++summary.finished;
      summary.redWins = game->redWins;
      summary.blueWins = game->blueWins;
      killsBefore = KillSum(*game);
      report = BattleReport{};
      report.battle = summary.finished + 1;
    } else if (report.frames >= framesAllowed) {
      CloseReport(*game, killsBefore, report);
      out << FormatBattle(report, options.json) << std::flush;
      ++summary.unfinished;
      break;
    }

    if (progress != nullptr && Clock::now() - lastProgress > std::chrono::milliseconds(250)) {
      lastProgress = Clock::now();
      *progress << "\rbattle " << report.battle << " of " << options.battles << ": "
                << Fixed(SimulatedSeconds(report.frames), 1) << " s simulated" << std::flush;
    }
  }
  if (progress != nullptr) *progress << "\r\033[K" << std::flush;

  const double wallSeconds = std::chrono::duration<double>(Clock::now() - runStart).count();
  summary.simPerWall = wallSeconds > 0.0 ? SimulatedSeconds(framesRun) / wallSeconds : 0.0;
  summary.stepMedianUs = steps.Percentile(0.5);
  summary.stepP99Us = steps.Percentile(0.99);
  summary.stepMaxUs = steps.Max();
  out << FormatSummary(summary, options.json) << std::flush;
  return summary.unfinished == 0 ? 0 : 1;
}

std::string HeadlessRunner::FormatBattle(const BattleReport& report, bool json) {
  std::ostringstream line;
  const char* winner = report.redWon ? "red" : "blue";
  if (json) {
    line << "{\"battle\":" << report.battle << ",\"winner\":";
    if (report.finished) {
      line << '"' << winner << '"';
    } else {
      line << "null,\"unfinished\":true";
    }
    line << ",\"seconds\":" << Fixed(report.seconds, 3) << ",\"frames\":" << report.frames
         << ",\"casualties\":" << report.casualties << ",\"kills\":{\"soldier\":" << report.soldierKills
         << ",\"archer\":" << report.archerKills << ",\"berserker\":" << report.berserkerKills
         << ",\"leader\":" << report.leaderKills << ",\"general\":" << report.generalKills
         << "},\"state_changes\":" << report.stateChanges;
    if (report.residentKb >= 0) line << ",\"resident_kb\":" << report.residentKb;
    line << "}\n";
    return line.str();
  }
  line << "Battle " << report.battle << ": ";
  if (report.finished) {
    line << winner << " wins after ";
  } else {
    line << "unfinished after ";
  }
  line << Fixed(report.seconds, 3) << " s (" << report.frames << " frames), " << report.casualties
       << " casualties; kills since start: soldier " << report.soldierKills << ", archer " << report.archerKills
       << ", berserker " << report.berserkerKills << ", leader " << report.leaderKills << ", general "
       << report.generalKills << "; state changes since start: " << report.stateChanges;
  if (report.residentKb >= 0) line << "; resident memory " << report.residentKb << " KiB";
  line << "\n";
  return line.str();
}

std::string HeadlessRunner::FormatSummary(const RunSummary& summary, bool json) {
  std::ostringstream line;
  if (json) {
    line << "{\"summary\":true,\"seed\":" << summary.seed << ",\"finished\":" << summary.finished
         << ",\"unfinished\":" << summary.unfinished << ",\"red_wins\":" << summary.redWins
         << ",\"blue_wins\":" << summary.blueWins << ",\"sim_per_wall\":" << Fixed(summary.simPerWall, 1)
         << ",\"step_us\":{\"median\":" << Fixed(summary.stepMedianUs, 1) << ",\"p99\":" << Fixed(summary.stepP99Us, 1)
         << ",\"max\":" << Fixed(summary.stepMaxUs, 1) << "}}\n";
    return line.str();
  }
  line << "Summary: " << summary.finished << " finished, " << summary.unfinished << " unfinished; red wins "
       << summary.redWins << ", blue wins " << summary.blueWins << "; seed " << summary.seed << "; "
       << Fixed(summary.simPerWall, 1) << " simulated seconds per wall second; step per frame: median "
       << Fixed(summary.stepMedianUs, 1) << " us, 99th percentile " << Fixed(summary.stepP99Us, 1) << " us, max "
       << Fixed(summary.stepMaxUs, 1) << " us\n";
  return line.str();
}

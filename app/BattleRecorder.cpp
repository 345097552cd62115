// Battle reports from a running game.
#include "app/BattleRecorder.h"

#include "app/Game.h"
#include "objects/UnitType.h"
#include "platform/ProcessMemory.h"

namespace {
int KillSum(const Game& game) {
  return game.soldierKills + game.archerKills + game.berserkerKills + game.leaderKills + game.generalKills;
}
}  // namespace

void BattleRecorder::WriteLinesTo(std::ostream* lines, bool json) {
  lineOut = lines;
  linesAsJson = json;
}

bool BattleRecorder::AfterStep(const Game& game, double stepMs) {
  if (battlesSeen < 0) {
    battlesSeen = game.battlesStarted;
    TakeMatchUp(game);
  }
  const bool wonOrLost = game.redWins + game.blueWins != redWins + blueWins;
  if (!wonOrLost && game.battlesStarted != battlesSeen) {
    // Reset: the battle before it counts for nobody; this step is the new one's first.
    running = BattleReport{running.battle};
    StartNext(game);
  }
  ++running.frames;
  runningMs += stepMs;
  if (wonOrLost) {
    running.finished = true;
    running.redWon = game.redWins > redWins;
    Close(game, running);
    lastFinished = running;
    if (lineOut != nullptr) *lineOut << FormatBattleLine(lastFinished, linesAsJson) << std::flush;
    ++finished;
    redWins = game.redWins;
    blueWins = game.blueWins;
    running = BattleReport{finished + 1};
    StartNext(game);
    return true;
  }
  return false;
}

// A battle raises every squad as it starts: its match-up is known from its first step.
void BattleRecorder::TakeMatchUp(const Game& game) {
  running.redTypes = game.SquadTypes(Team::Red);
  running.blueTypes = game.SquadTypes(Team::Blue);
}

void BattleRecorder::StartNext(const Game& game) {
  TakeMatchUp(game);
  runningMs = 0.0;
  killsBefore = KillSum(game);
  battlesSeen = game.battlesStarted;
}

BattleReport BattleRecorder::CloseUnfinished(const Game& game) const {
  BattleReport report = running;
  Close(game, report);
  return report;
}

// Kills are counted since the start of the run; a battle's casualties are the kills made since
// the battle before it ended (only duels kill, and every duel won counts one of each).
void BattleRecorder::Close(const Game& game, BattleReport& report) const {
  report.seconds = runningMs / 1000.0;
  report.casualties = KillSum(game) - killsBefore;
  report.soldierKills = game.soldierKills;
  report.archerKills = game.archerKills;
  report.berserkerKills = game.berserkerKills;
  report.leaderKills = game.leaderKills;
  report.generalKills = game.generalKills;
  report.stateChanges = game.stateChanges;
  if (memory) report.residentKb = ProcessMemory::ResidentKilobytes();
}

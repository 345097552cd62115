// Battle reports from a running battle.
#include "app/BattleRecorder.h"

#include "battle/Battle.h"

#include <numeric>
#include "objects/UnitType.h"
#include "platform/ProcessMemory.h"

namespace {
int KillSum(const Battle& battle) { return std::accumulate(battle.kills.begin(), battle.kills.end(), 0); }
}  // namespace

void BattleRecorder::WriteLinesTo(std::ostream* lines, bool json) {
  lineOut = lines;
  linesAsJson = json;
}

bool BattleRecorder::AfterStep(const Battle& battle, double stepMs) {
  if (battlesSeen < 0) {
    battlesSeen = battle.battlesStarted;
    TakeMatchUp(battle);
  }
  const bool wonOrLost = battle.redWins + battle.blueWins != redWins + blueWins;
  if (!wonOrLost && battle.battlesStarted != battlesSeen) {
    // Reset: the battle before it counts for nobody; this step is the new one's first.
    running = BattleReport{running.battle};
    StartNext(battle);
  }
  ++running.frames;
  runningMs += stepMs;
  if (wonOrLost) {
    running.finished = true;
    running.redWon = battle.redWins > redWins;
    Close(battle, running);
    TakeForfeit(battle, running);
    lastFinished = running;
    if (lineOut != nullptr) *lineOut << FormatBattleLine(lastFinished, linesAsJson) << std::flush;
    ++finished;
    redWins = battle.redWins;
    blueWins = battle.blueWins;
    running = BattleReport{finished + 1};
    StartNext(battle);
    return true;
  }
  return false;
}

// A battle raises every squad as it starts: its match-up is known from its first step.
void BattleRecorder::TakeMatchUp(const Battle& battle) {
  running.redTypes = battle.SquadTypes(Team::Red);
  running.blueTypes = battle.SquadTypes(Team::Blue);
}

void BattleRecorder::StartNext(const Battle& battle) {
  TakeMatchUp(battle);
  runningMs = 0.0;
  killsBefore = KillSum(battle);
  battlesSeen = battle.battlesStarted;
}

void BattleRecorder::TakeForfeit(const Battle& battle, BattleReport& report) const {
  const Forfeit& forfeit = battle.lastForfeit;
  if (forfeit.team < 0 || forfeit.battle != battlesSeen) return;
  report.forfeitSide = forfeit.team == Team::Red ? "red" : "blue";
  report.forfeitReason = forfeit.reason;
}

BattleReport BattleRecorder::CloseUnfinished(const Battle& battle) const {
  BattleReport report = running;
  Close(battle, report);
  return report;
}

// Kills are counted since the start of the run; a battle's casualties are the kills made since
// the battle before it ended (only duels kill, and every duel won counts one of each).
void BattleRecorder::Close(const Battle& battle, BattleReport& report) const {
  report.seconds = runningMs / 1000.0;
  report.casualties = KillSum(battle) - killsBefore;
  report.kills = battle.kills;
  report.stateChanges = battle.StateChanges();
  if (memory) report.residentKb = ProcessMemory::ResidentKilobytes();
}

// Battle reports from a running battle.
#include "app/run/BattleRecorder.h"

#include <numeric>

#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "battle/CommanderSource.h"
#include "objects/UnitType.h"
#include "platform/ProcessMemory.h"

namespace {
int KillSum(const Battle& battle) {
  const auto& kills = battle.KillsByType();
  return std::accumulate(kills.begin(), kills.end(), 0);
}
}  // namespace

void BattleRecorder::WriteLinesTo(std::ostream* lines, bool json) {
  lineOut = lines;
  linesAsJson = json;
}

bool BattleRecorder::AfterStep(const Battle& battle, double stepMs) {
  if (battlesSeen < 0) battlesSeen = battle.BattlesStarted();
  const bool wonOrLost = battle.RedWins() + battle.BlueWins() != redWins + blueWins;
  if (!wonOrLost && battle.BattlesStarted() != battlesSeen) {
    // Reset: the battle before it counts for nobody; this step is the new one's first.
    running = BattleReport{running.battle};
    StartNext(battle);
  }
  ++running.frames;
  runningMs += stepMs;
  if (wonOrLost) {
    running.finished = true;
    running.redWon = battle.RedWins() > redWins;
    Close(battle, running);
    TakeEnded(battle, running);
    lastFinished = running;
    if (lineOut != nullptr) *lineOut << FormatBattleLine(lastFinished, linesAsJson) << std::flush;
    ++finished;
    redWins = battle.RedWins();
    blueWins = battle.BlueWins();
    running = BattleReport{finished + 1};
    StartNext(battle);
    return true;
  }
  return false;
}

void BattleRecorder::NewBattlefield(const Battle& battle) {
  redWins = battle.RedWins();
  blueWins = battle.BlueWins();
  running = BattleReport{finished + 1};
  StartNext(battle);
}

void BattleRecorder::StartNext(const Battle& battle) {
  runningMs = 0.0;
  killsBefore = KillSum(battle);
  battlesSeen = battle.BattlesStarted();
}

// The battle kept these as it ended: the recorder need not have seen it start (a battle may end
// by a forfeit on its first step).
void BattleRecorder::TakeEnded(const Battle& battle, BattleReport& report) {
  report.fingerprint = battle.EndFingerprint();
  report.redTypes = battle.EndSquadTypes(Team::Red);
  report.blueTypes = battle.EndSquadTypes(Team::Blue);
  TakeHandOrders(battle, report);
  const Forfeit& forfeit = battle.LastForfeit();
  if (forfeit.team < 0) return;
  report.forfeitSide = forfeit.team == Team::Red ? "red" : "blue";
  report.forfeitReason = forfeit.reason;
}

// A battle raises every squad as it starts: the running battle's match-up is known.
BattleReport BattleRecorder::CloseUnfinished(const Battle& battle) const {
  BattleReport report = running;
  report.redTypes = battle.SquadTypes(Team::Red);
  report.blueTypes = battle.SquadTypes(Team::Blue);
  Close(battle, report);
  TakeHandOrders(battle, report);
  report.fingerprint = BattleFingerprint::Of(battle);
  return report;
}

void BattleRecorder::TakeHandOrders(const Battle& battle, BattleReport& report) {
  for (std::size_t side = 0; side < battle.scenario.armies.size(); ++side) {
    const auto& source = battle.scenario.armies[side].commander;
    const std::vector<HandOrder>* orders = source != nullptr ? source->HandOrders(report.battle) : nullptr;
    if (orders == nullptr) continue;
    report.led = side == 0 ? "red" : "blue";
    report.orders = *orders;
  }
}

// Kills are counted since the start of the run; a battle's casualties are the kills made since
// the battle before it ended (only duels kill, and every duel won counts one of each).
void BattleRecorder::Close(const Battle& battle, BattleReport& report) const {
  report.seconds = runningMs / 1000.0;
  report.casualties = KillSum(battle) - killsBefore;
  report.kills = battle.KillsByType();
  report.stateChanges = battle.StateChanges();
  if (memory) report.residentKb = ProcessMemory::ResidentKilobytes();
}

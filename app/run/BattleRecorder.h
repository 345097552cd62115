// Follows a game step by step and closes a report for every battle that ends: the battle lines
// of the headless runner and of the window's report.
#pragma once

#include <cstdint>
#include <ostream>

#include "app/run/BattleReport.h"

class Battle;

class BattleRecorder {
 public:
  explicit BattleRecorder(bool measureMemory = false) : memory(measureMemory) {}
  // Every finished battle's line also goes to lines (the window's report), as text or JSON.
  void WriteLinesTo(std::ostream* lines, bool json);

  // Called after every simulation step of stepMs simulated milliseconds; true when the step
  // ended a battle, whose report is then LastFinished(). A battle reset by the user starts the
  // running report again under the same number.
  bool AfterStep(const Battle& battle, double stepMs);
  // A new battlefield took the old one's place (the window's editor started its layout): its
  // tallies start from nothing, and the running battle, under the next number, is its first.
  void NewBattlefield(const Battle& battle);
  // The running battle, closed as unfinished.
  BattleReport CloseUnfinished(const Battle& battle) const;

  const BattleReport& LastFinished() const { return lastFinished; }
  const BattleReport& Running() const { return running; }
  // The number of the running battle, from 1.
  int BattleNumber() const { return running.battle; }
  int Finished() const { return finished; }
  int RedWins() const { return redWins; }
  int BlueWins() const { return blueWins; }

 private:
  void Close(const Battle& battle, BattleReport& report) const;
  // The ended battle's fingerprint and match-up, and, if it ended by a forfeit, the side that gave
  // up and why.
  static void TakeEnded(const Battle& battle, BattleReport& report);
  void StartNext(const Battle& battle);
  // The orders of the side led by hand, if one is, as they were given in the report's battle.
  static void TakeHandOrders(const Battle& battle, BattleReport& report);

  bool memory;
  std::ostream* lineOut = nullptr;
  bool linesAsJson = false;
  BattleReport running{1};
  BattleReport lastFinished;
  double runningMs = 0.0;
  int finished = 0;
  int redWins = 0;
  int blueWins = 0;
  int killsBefore = 0;
  int battlesSeen = -1;
};

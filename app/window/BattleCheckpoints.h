// Copies of the battle on view taken every few simulated seconds as it plays, with the chart and
// the reports as they stood then, so that a jump back plays on only from the nearest one before
// the second wanted. Their memory is bounded: past the budget every other one goes and they are
// taken half as often.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "app/run/BattleRecorder.h"
#include "battle/Battle.h"
#include "battle/BattleTimeline.h"

class BattleCheckpoints {
 public:
  struct Checkpoint {
    // Null for a battle that cannot be copied (a strategy script leads a side): the one at the
    // battle's start is kept all the same, for its chart and reports.
    std::unique_ptr<Battle> battle;
    BattleTimeline timeline;
    BattleRecorder recorder;
  };

  // What a copy is reckoned to take: the objects and the ground.
  static constexpr std::size_t kBytesPerObject = 1024;
  static constexpr std::size_t kBytesPerGroundPoint = 31;

  // Every intervalSteps steps into a battle, while they take at most budgetBytes together.
  BattleCheckpoints(std::int64_t intervalSteps, std::size_t budgetBytes);

  // A battle began after that step: the checkpoints of the one before go, and the interval is
  // the one asked for again.
  void Restart(std::int64_t startStep);
  // Whether a checkpoint is wanted after that step and not yet held.
  bool Due(std::int64_t step) const;
  // Keeps the checkpoint taken after that step, then thins them out while they exceed the budget
  // (the new one may be among those that go).
  void Keep(std::int64_t step, Checkpoint checkpoint);
  // The user changed the battle after that step: the later checkpoints show another battle.
  void ForgetAfter(std::int64_t step);
  // The latest checkpoint at or before the step, with the step it was taken after; null before
  // the battle's start.
  const Checkpoint* Before(std::int64_t step, std::int64_t& takenAfter) const;

  std::size_t Count() const { return held.size(); }
  std::int64_t IntervalSteps() const { return interval; }
  static std::size_t ReckonedBytes(const Battle& battle);

 private:
  void ThinOut();

  const std::int64_t firstInterval;
  std::int64_t interval;
  const std::size_t budget;
  std::int64_t start = 0;
  std::size_t bytesEach = 0;
  std::map<std::int64_t, Checkpoint> held;
};

// Moving the window's view back and forth through the running battle on fixed steps: forward by
// stepping without drawing, back by playing on from a copy of the battle taken before that step.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "app/window/BattleCheckpoints.h"
#include "app/window/RunCourse.h"

class Battle;
class Game;

// A battle is copied as it begins and every few seconds into it (BattleCheckpoints), and a jump
// back plays on from a copy of the latest copy before the second wanted, with the chart and the
// reports as they stood then. A battle led by a strategy script cannot be copied (a Lua state
// cannot), and its start cannot be brought back from what carries over between battles alone: the
// new army is raised while the old battle's units still hold their names, the registry's walking
// order (the order of every update) is the one the earlier battles left, and splats and arrows
// made in the last step live on. So there a jump back plays the whole run again on a fresh
// battlefield, the user's resets and blood switches at the steps they came, up to the start of the
// battle on view: a spare, played on a thread of its own whenever such a battle begins or a jump
// back has used the spare up, so that a jump back waits only for the seconds into the battle.
class BattleScrubber {
 public:
  static constexpr double kJumpSeconds = 10.0;
  // A jump back plays at most this many seconds, until the copies outgrow their budget.
  static constexpr double kCheckpointSeconds = 5.0;
  static constexpr std::size_t kCheckpointBudgetBytes = std::size_t{256} << 20;

  // The game's battle must not have started yet; its pace, recorder and timeline must be set and
  // outlive this. stepMs is the length of every step.
  BattleScrubber(Game& watched, int stepMs);
  // Stops the spare's thread.
  ~BattleScrubber();
  void StopSpare();
  BattleScrubber(const BattleScrubber&) = delete;
  BattleScrubber& operator=(const BattleScrubber&) = delete;

  // The game has started the run's first battle: the user has changed nothing yet.
  void RunStarted();
  // The game calls these around every step of the battle it runs.
  void BeforeStep();
  void AfterStep();
  // The user's reset or blood switch, just applied to the game's battle. It changes what follows:
  // the steps after it are no longer the ones recorded.
  void UserReset();
  void UserBlood(bool on);

  // Moves the view to that second of the battle on view, at the earliest its first step (where its
  // armies first stand): back by playing the run again, forward
  // (also beyond the furthest second reached) by stepping on. A forward jump stops where the
  // battle ends, with the next one on view at its first step. Returns false when it stopped short.
  bool JumpTo(double second);
  bool JumpBy(double seconds);
  // Seconds into the battle on view.
  double ViewSecond() const;
  // Waits until the spare stands ready: for measuring a jump back as the user makes it, seconds
  // after the battle began.
  void AwaitSpare();
  // Steps run since the start of the run.
  std::int64_t StepsDone() const { return stepsDone; }
  const BattleCheckpoints& Checkpoints() const { return checkpoints; }

 private:
  void Logged(RunCourse::Action action);
  bool StepForwardTo(std::int64_t targetStep);
  void StepOnce();
  void ReplayTo(std::int64_t targetStep);
  // The battle on view began after battleStartStep.
  void BattleBegan();
  // False when the battle cannot be copied.
  bool TakeCheckpoint();
  void PrepareSpare();
  // The battlefield at the start of the battle on view: the spare once its thread is done, or
  // played here when there is none for that start.
  std::unique_ptr<Battle> TakeSpare();

  Game& game;
  RunCourse course;
  int stepMs;
  std::int64_t stepsDone = 0;
  // The step after which the battle on view began (0 for the run's first battle).
  std::int64_t battleStartStep = 0;
  int battleOnView = 0;
  // Battles begun after the run's first one, replays included.
  int battlesBegun = 0;
  BattleCheckpoints checkpoints;
  // The course's events before this one have been applied.
  std::size_t nextEvent = 0;
  // Written by the spare's thread only, and read only once it is joined.
  std::unique_ptr<Battle> spare;
  std::int64_t spareStep = -1;
  std::jthread spareWorker;
};

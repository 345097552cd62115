// Jumps through the battle on view, and the record of what the user changed on the way.
#include "app/window/BattleScrubber.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "app/window/Game.h"
#include "app/window/SimulationPace.h"
#include "app/window/UnitInspector.h"
#include "battle/Battle.h"
#include "platform/Interrupt.h"
#include "platform/TickCounter.h"

BattleScrubber::BattleScrubber(Game& watched, int fixedStepMs)
    : game(watched),
      course(watched.battle->scenario, watched.seed, watched.battle->bloodEnabled, watched.battle->paintFootsteps,
             fixedStepMs),
      stepMs(fixedStepMs),
      checkpoints(std::llround(kCheckpointSeconds * 1000.0 / fixedStepMs), kCheckpointBudgetBytes) {}

BattleScrubber::~BattleScrubber() { StopSpare(); }

void BattleScrubber::RunStarted() { BattleBegan(); }

void BattleScrubber::BeforeStep() {
  const std::vector<RunCourse::UserEvent>& events = course.events;
  while (nextEvent < events.size() && events[nextEvent].step <= stepsDone) {
    RunCourse::Apply(events[nextEvent++].action, *game.battle);
  }
}

// The first battle starts before any step, every later one inside the step its timeline begins
// after.
void BattleScrubber::AfterStep() {
  ++stepsDone;
  const int battle = game.timeline->BattleNumber();
  if (battle != battleOnView) {
    const bool first = battleOnView == 0;
    battleOnView = battle;
    if (!first) {
      ++battlesBegun;
      battleStartStep = stepsDone;
      BattleBegan();
      return;
    }
  }
  if (checkpoints.Due(stepsDone)) TakeCheckpoint();
}

void BattleScrubber::BattleBegan() {
  checkpoints.Restart(battleStartStep);
  if (TakeCheckpoint()) return;
  checkpoints.Keep(stepsDone, {nullptr, *game.timeline, *game.recorder});
  PrepareSpare();
}

bool BattleScrubber::TakeCheckpoint() {
  std::unique_ptr<Battle> copy = game.battle->Copy();
  if (copy == nullptr) return false;
  checkpoints.Keep(stepsDone, {std::move(copy), *game.timeline, *game.recorder});
  return true;
}

void BattleScrubber::UserReset() { Logged(RunCourse::Action::Reset); }

void BattleScrubber::UserBlood(bool on) { Logged(on ? RunCourse::Action::BloodOn : RunCourse::Action::BloodOff); }

// What was recorded after this point was the future of another course of the battle. It all
// lies beyond the battle's start, where the spare stands.
void BattleScrubber::Logged(RunCourse::Action action) {
  std::vector<RunCourse::UserEvent>& events = course.events;
  events.erase(events.begin() + static_cast<std::ptrdiff_t>(nextEvent), events.end());
  events.push_back({stepsDone, action});
  nextEvent = events.size();
  checkpoints.ForgetAfter(stepsDone);
  game.timeline->ForgetLaterSamples();
}

// A battle's armies are raised at its start but stand on the field only from its first step: before
// it the field is empty (a selected unit's ring would float alone), so no jump lands earlier.
bool BattleScrubber::JumpTo(double second) {
  const auto offset = static_cast<std::int64_t>(std::llround(second * 1000.0 / stepMs));
  const std::int64_t target = battleStartStep + std::max<std::int64_t>(offset, 1);
  const bool reached = target < stepsDone ? (ReplayTo(target), true) : StepForwardTo(target);
  game.pace->JumpTo(course.MsAfter(stepsDone), TickCounter::Now());
  return reached;
}

bool BattleScrubber::JumpBy(double seconds) { return JumpTo(ViewSecond() + seconds); }

double BattleScrubber::ViewSecond() const {
  return static_cast<double>(stepsDone - battleStartStep) * stepMs / 1000.0;
}

// A jump that runs into the next battle stops at its first step, where a jump to its start lands:
// in the step it began in, its armies are not yet on the field and its chart holds nothing.
bool BattleScrubber::StepForwardTo(std::int64_t targetStep) {
  const int begun = battlesBegun;
  while (stepsDone < targetStep) {
    if (Interrupt::Requested()) return false;
    StepOnce();
    if (battlesBegun != begun) {
      StepOnce();
      return false;
    }
  }
  return true;
}

void BattleScrubber::StepOnce() {
  game.battle->timer.TickTo(course.MsAfter(stepsDone + 1));
  game.RunRecordedStep(static_cast<double>(stepMs));
}

// The old battlefield goes before the spare is taken, and the next spare is made only once the
// jump is done, so that it never competes for a core with it. The checkpoint is copied, not
// taken: the next jump back may start from it again. The selected unit's trace lines come from
// the battle's trace log, which goes with it.
void BattleScrubber::ReplayTo(std::int64_t targetStep) {
  std::int64_t from = battleStartStep;
  const BattleCheckpoints::Checkpoint* checkpoint = checkpoints.Before(targetStep, from);
  if (checkpoint == nullptr) return;
  const std::vector<TimelineSample> further = game.timeline->Samples();
  if (game.inspector != nullptr) game.inspector->LetGoOfBattle();
  game.battle.reset();
  const bool fromSpare = checkpoint->battle == nullptr;
  game.battle = fromSpare ? TakeSpare() : checkpoint->battle->Copy();
  if (game.battle != nullptr) game.battle->SetStepThreads(game.stepThreads);
  stepsDone = from;
  nextEvent = course.EventsBefore(from);
  *game.timeline = checkpoint->timeline;
  *game.recorder = checkpoint->recorder;
  battleOnView = checkpoint->timeline.BattleNumber();
  StepForwardTo(targetStep);
  game.timeline->KeepLaterSamples(further);
  if (game.inspector != nullptr) game.inspector->FindAgain(*game.battle);
  if (fromSpare) PrepareSpare();
}

// The spare's thread works on a copy of the course: the events the window adds meanwhile all lie
// beyond the step it plays to.
void BattleScrubber::PrepareSpare() {
  StopSpare();
  spare.reset();
  spareStep = battleStartStep;
  spareWorker = std::jthread([this, copy = course, step = spareStep](const std::stop_token& stop) {
    spare = copy.PlayTo(step, stop);
  });
}

void BattleScrubber::StopSpare() {
  if (!spareWorker.joinable()) return;
  spareWorker.request_stop();
  spareWorker.join();
}

void BattleScrubber::AwaitSpare() {
  if (spareWorker.joinable()) spareWorker.join();
}

std::unique_ptr<Battle> BattleScrubber::TakeSpare() {
  if (spareWorker.joinable()) spareWorker.join();
  if (spare != nullptr && spareStep == battleStartStep) return std::move(spare);
  return course.PlayTo(battleStartStep, std::stop_token{});
}

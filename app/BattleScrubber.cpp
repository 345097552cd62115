// Jumps through the battle on view, and the record of what the user changed on the way.
#include "app/BattleScrubber.h"

#include <cmath>
#include <memory>
#include <utility>

#include "app/Game.h"
#include "app/QuietDebugChannel.h"
#include "app/SimulationPace.h"
#include "app/UnitInspector.h"
#include "battle/Battle.h"
#include "platform/Interrupt.h"

BattleScrubber::BattleScrubber(Game& watched, int fixedStepMs)
    : game(watched),
      stepMs(fixedStepMs),
      bloodAtStart(watched.battle->bloodEnabled),
      footstepsAtStart(watched.battle->paintFootsteps),
      timelineAtStart(*watched.timeline),
      recorderAtStart(*watched.recorder) {}

// The pace adds the step length to an unsigned count; this wraps as it does.
std::uint32_t BattleScrubber::MsAfter(std::int64_t steps) const {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(steps) * static_cast<std::uint64_t>(stepMs));
}

void BattleScrubber::BeforeStep() { ApplyDueEvents(*game.battle); }

// The first battle starts before any step, every later one inside the step its timeline begins
// after.
void BattleScrubber::AfterStep() {
  ++stepsDone;
  const int battle = game.timeline->BattleNumber();
  if (battle == battleOnView) return;
  const bool first = battleOnView == 0;
  battleOnView = battle;
  if (first) return;
  ++battlesBegun;
  battleStartStep = stepsDone;
  timelineAtStart = *game.timeline;
  recorderAtStart = *game.recorder;
}

void BattleScrubber::UserReset() { Logged(Action::Reset); }

void BattleScrubber::UserBlood(bool on) { Logged(on ? Action::BloodOn : Action::BloodOff); }

// What was recorded after this point was the future of another course of the battle.
void BattleScrubber::Logged(Action action) {
  events.erase(events.begin() + static_cast<std::ptrdiff_t>(nextEvent), events.end());
  events.push_back({stepsDone, action});
  nextEvent = events.size();
  game.timeline->ForgetLaterSamples();
}

void BattleScrubber::Apply(const UserEvent& event, Battle& battle) const {
  switch (event.action) {
    case Action::Reset: battle.ResetBattle(); break;
    case Action::BloodOn: battle.bloodEnabled = true; break;
    case Action::BloodOff: battle.bloodEnabled = false; break;
  }
}

void BattleScrubber::ApplyDueEvents(Battle& battle) {
  while (nextEvent < events.size() && events[nextEvent].step <= stepsDone) Apply(events[nextEvent++], battle);
}

bool BattleScrubber::JumpTo(double second) {
  const auto offset = static_cast<std::int64_t>(std::llround(second * 1000.0 / stepMs));
  const std::int64_t target = battleStartStep + (offset > 0 ? offset : 0);
  const bool reached = target < stepsDone ? (ReplayTo(target), true) : StepForwardTo(target);
  game.pace->JumpTo(MsAfter(stepsDone));
  return reached;
}

bool BattleScrubber::JumpBy(double seconds) { return JumpTo(ViewSecond() + seconds); }

double BattleScrubber::ViewSecond() const {
  return static_cast<double>(stepsDone - battleStartStep) * stepMs / 1000.0;
}

bool BattleScrubber::StepForwardTo(std::int64_t targetStep) {
  const int begun = battlesBegun;
  while (stepsDone < targetStep) {
    if (Interrupt::Requested()) return false;
    game.battle->timer.TickTo(MsAfter(stepsDone + 1));
    game.RunRecordedStep(static_cast<double>(stepMs));
    if (battlesBegun != begun) return false;
  }
  return true;
}

// The old battlefield goes before the new one is built, so that a jump never holds two. The
// selected unit's trace lines come from the battle's trace log, which goes with it.
void BattleScrubber::ReplayTo(std::int64_t targetStep) {
  const std::vector<TimelineSample> further = game.timeline->Samples();
  Scenario scenario = game.battle->scenario;
  if (game.inspector != nullptr) game.inspector->LetGoOfBattle();
  game.battle.reset();
  {
    // The ground was loaded and reported on at the start; a jump says nothing of it again.
    const QuietDebugChannel quiet;
    game.battle = std::make_unique<Battle>(std::move(scenario), game.seed);
  }
  Battle& fresh = *game.battle;
  fresh.bloodEnabled = bloodAtStart;
  fresh.paintFootsteps = footstepsAtStart;
  fresh.StartBattle();
  nextEvent = 0;
  for (stepsDone = 0; stepsDone < battleStartStep; ++stepsDone) {
    ApplyDueEvents(fresh);
    fresh.timer.TickTo(MsAfter(stepsDone + 1));
    fresh.RunSimulationStep();
  }
  *game.timeline = timelineAtStart;
  *game.recorder = recorderAtStart;
  battleOnView = timelineAtStart.BattleNumber();
  StepForwardTo(targetStep);
  game.timeline->KeepLaterSamples(further);
  if (game.inspector != nullptr) game.inspector->FindAgain(*game.battle);
}

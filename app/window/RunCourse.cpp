// Playing a run on fixed steps again from its start.
#include "app/window/RunCourse.h"

#include <algorithm>
#include <utility>

#include "app/run/QuietDebugChannel.h"
#include "battle/Battle.h"

RunCourse::RunCourse(Scenario battleSetup, unsigned battleSeed, bool bloodAtStart, bool footstepsAtStart,
                     int fixedStepMs)
    : scenario(std::move(battleSetup)),
      seed(battleSeed),
      blood(bloodAtStart),
      footsteps(footstepsAtStart),
      stepMs(fixedStepMs) {}

std::uint32_t RunCourse::MsAfter(std::int64_t steps) const {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(steps) * static_cast<std::uint64_t>(stepMs));
}

// The ground was loaded and reported on when the run started: playing it again says nothing.
std::unique_ptr<Battle> RunCourse::PlayTo(std::int64_t step, const std::stop_token& stop) const {
  std::unique_ptr<Battle> battle;
  {
    const QuietDebugChannel quiet;
    battle = std::make_unique<Battle>(scenario, seed);
  }
  battle->bloodEnabled = blood;
  battle->paintFootsteps = footsteps;
  battle->StartBattle();
  std::size_t next = 0;
  for (std::int64_t done = 0; done < step; ++done) {
    if (stop.stop_requested()) return nullptr;
    while (next < events.size() && events[next].step <= done) Apply(events[next++].action, *battle);
    battle->timer.TickTo(MsAfter(done + 1));
    battle->RunSimulationStep();
  }
  return battle;
}

std::size_t RunCourse::EventsBefore(std::int64_t step) const {
  return static_cast<std::size_t>(std::count_if(events.begin(), events.end(),
                                                [step](const UserEvent& event) { return event.step < step; }));
}

void RunCourse::Apply(Action action, Battle& battle) {
  switch (action) {
    case Action::Reset: battle.ResetBattle(); break;
    case Action::BloodOn: battle.bloodEnabled = true; break;
    case Action::BloodOff: battle.bloodEnabled = false; break;
  }
}

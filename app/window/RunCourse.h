// What a run on fixed steps was made of, enough to play it again to any step: the battle, the
// seed, the switches at its start, the step length, and the user's resets and blood switches.
#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

#include "battle/Scenario.h"

class Battle;

class RunCourse {
 public:
  enum class Action { Reset, BloodOn, BloodOff };
  struct UserEvent {
    std::int64_t step;  // steps done when it came: it applies before the next one
    Action action;
  };

  RunCourse(Scenario battleSetup, unsigned seed, bool blood, bool footsteps, int stepMs);

  // The simulated clock after that many steps; the pace adds the step length to an unsigned
  // count, and this wraps as it does.
  std::uint32_t MsAfter(std::int64_t steps) const;
  // A fresh battlefield played without drawing to that step, the events before it applied;
  // null when stopped on the way.
  std::unique_ptr<Battle> PlayTo(std::int64_t step, const std::stop_token& stop) const;
  // How many of the events come before that step.
  std::size_t EventsBefore(std::int64_t step) const;
  static void Apply(Action action, Battle& battle);

  int StepMs() const { return stepMs; }

  // In the order they came, by step.
  std::vector<UserEvent> events;

 private:
  Scenario scenario;
  unsigned seed;
  bool blood;
  bool footsteps;
  int stepMs;
};

// How much simulated time each window frame runs, and in which steps: either fixed steps of a set
// length (a seeded battle, the same one the headless runner plays) or one step per frame as the
// frames come, both at the speed the user picks.
#pragma once

#include <cstdint>

class SimulationPace {
 public:
  static constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0};
  // A slow frame must not make the next one try to catch up forever; beyond this many fixed
  // steps in one frame the simulation falls behind the wall clock instead.
  static constexpr int kMostStepsPerFrame = 400;

  // fixedStepMs 0: steps follow the frames. startMs is the tick counter now.
  SimulationPace(int fixedStepMs, double speed, std::uint32_t startMs);

  static bool IsSpeed(double speed);
  void Faster();
  void Slower();
  double Speed() const { return kSpeeds[speedIndex]; }
  bool FixedSteps() const { return stepMs > 0; }
  int StepMs() const { return stepMs; }
  // The simulated clock of a battle opened where it stood.
  void StartAt(std::uint32_t elapsedMs) { simulatedMs = elapsedMs; }
  // Simulated milliseconds stepped since the start.
  std::uint32_t SimulatedMs() const { return simulatedMs; }

  // Plans the steps of the frame at tick counter nowMs. Paused, fixed steps stop the simulated
  // clock; frame steps let it run on, as the plain window's clock does.
  void BeginFrame(std::uint32_t nowMs, bool paused);
  // The simulated milliseconds since the start to tick the game's clock to for the next step of
  // this frame; false when the frame has no more steps.
  bool NextStep(std::uint32_t& elapsedMs);
  // The simulated milliseconds of the next fixed step; for skipping battles without drawing.
  std::uint32_t AdvanceOneStep();
  // Stands the simulated clock at simulatedMs, as after a jump to another moment of a battle, at
  // tick counter nowMs: the time owed to the frames so far, and the time the jump took, are
  // forgiven, so that the view stays where the jump put it.
  void JumpTo(std::uint32_t simulatedMs, std::uint32_t nowMs);

 private:
  void PlanFixedSteps(double wallMs, bool paused);
  void PlanFrameSteps(std::uint32_t frameMs);

  int stepMs;
  int speedIndex = 2;
  std::uint32_t lastTick;
  std::uint32_t simulatedMs = 0;
  double owedMs = 0.0;     // simulated time not yet stepped
  int stepsLeft = 0;
  std::uint32_t stepLength = 0;
};

// Simulation pacing for the window.
#include "app/window/SimulationPace.h"

#include <cmath>
#include <iterator>

SimulationPace::SimulationPace(int fixedStepMs, double speed, std::uint32_t startMs)
    : stepMs(fixedStepMs), lastTick(startMs) {
  for (int index = 0; index < static_cast<int>(std::size(kSpeeds)); ++index) {
    if (kSpeeds[index] == speed) speedIndex = index;
  }
}

bool SimulationPace::IsSpeed(double speed) {
  for (double known : kSpeeds) {
    if (known == speed) return true;
  }
  return false;
}

void SimulationPace::Faster() {
  if (speedIndex + 1 < static_cast<int>(std::size(kSpeeds))) ++speedIndex;
}

void SimulationPace::Slower() {
  if (speedIndex > 0) --speedIndex;
}

void SimulationPace::BeginFrame(std::uint32_t nowMs, bool paused) {
  // Unsigned subtraction gives the true difference across the counter's wrap.
  const std::uint32_t frameMs = nowMs - lastTick;
  lastTick = nowMs;
  if (FixedSteps()) {
    PlanFixedSteps(static_cast<double>(frameMs), paused);
  } else {
    PlanFrameSteps(frameMs);
  }
}

void SimulationPace::PlanFixedSteps(double wallMs, bool paused) {
  stepLength = static_cast<std::uint32_t>(stepMs);
  if (paused) {
    stepsLeft = 0;
    return;
  }
  owedMs += wallMs * Speed();
  const double whole = std::floor(owedMs / stepMs);
  stepsLeft = whole > kMostStepsPerFrame ? kMostStepsPerFrame : static_cast<int>(whole);
  owedMs = whole > kMostStepsPerFrame ? 0.0 : owedMs - whole * stepMs;
}

// Faster than real time, each step is as long as the frame and there are more of them, so no step
// grows longer than the plain window's; slower, the one step of the frame is shorter. At speed 1
// the clock moves exactly as the tick counter does.
void SimulationPace::PlanFrameSteps(std::uint32_t frameMs) {
  if (Speed() >= 1.0) {
    stepLength = frameMs;
    stepsLeft = static_cast<int>(Speed());
    return;
  }
  owedMs += static_cast<double>(frameMs) * Speed();
  const double whole = std::floor(owedMs);
  owedMs -= whole;
  stepLength = static_cast<std::uint32_t>(whole);
  stepsLeft = 1;
}

bool SimulationPace::NextStep(std::uint32_t& elapsedMs) {
  if (stepsLeft <= 0) return false;
  --stepsLeft;
  simulatedMs += stepLength;
  elapsedMs = simulatedMs;
  return true;
}

std::uint32_t SimulationPace::AdvanceOneStep() {
  simulatedMs += static_cast<std::uint32_t>(stepMs);
  return simulatedMs;
}

void SimulationPace::JumpTo(std::uint32_t newSimulatedMs, std::uint32_t nowMs) {
  simulatedMs = newSimulatedMs;
  lastTick = nowMs;
  owedMs = 0.0;
  stepsLeft = 0;
}

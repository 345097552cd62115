// The window's pacing: fixed steps that never change length, whatever the speed, and frame steps
// that at speed 1 keep the plain clock exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/window/SimulationPace.h"

namespace {
std::vector<std::uint32_t> StepsOfFrame(SimulationPace& pace, std::uint32_t nowMs, bool paused = false) {
  pace.BeginFrame(nowMs, paused);
  std::vector<std::uint32_t> steps;
  for (std::uint32_t elapsed = 0; pace.NextStep(elapsed);) steps.push_back(elapsed);
  return steps;
}
}  // namespace

TEST(SimulationPace, FixedStepsKeepTheirLengthAndCarryTheRemainder) {
  SimulationPace pace(16, 2.0, 1000);
  // 100 ms of wall time at twice real time is 200 simulated: 12 steps and 8 ms owed.
  EXPECT_EQ(StepsOfFrame(pace, 1100).size(), 12u);
  EXPECT_EQ(StepsOfFrame(pace, 1200).size(), 13u);
  EXPECT_EQ(pace.SimulatedMs(), 25u * 16u);
  // A pause stops the simulated clock and banks nothing.
  EXPECT_TRUE(StepsOfFrame(pace, 5000, true).empty());
  pace.Slower();
  const std::vector<std::uint32_t> steps = StepsOfFrame(pace, 5032);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0], 26u * 16u);
  EXPECT_EQ(steps[1], 27u * 16u);
}

TEST(SimulationPace, AStallDoesNotMakeTheSimulationCatchUpForever) {
  SimulationPace pace(16, 16.0, 0);
  EXPECT_EQ(StepsOfFrame(pace, 60000).size(), static_cast<std::size_t>(SimulationPace::kMostStepsPerFrame));
  EXPECT_EQ(StepsOfFrame(pace, 60016).size(), 16u);
}

TEST(SimulationPace, FrameStepsAtSpeedOneFollowTheTickCounter) {
  SimulationPace pace(0, 1.0, 500);
  EXPECT_EQ(StepsOfFrame(pace, 517), std::vector<std::uint32_t>{17});
  // Paused, the clock runs on as the plain window's does; the caller skips the step.
  EXPECT_EQ(StepsOfFrame(pace, 550, true), std::vector<std::uint32_t>{50});
  pace.Faster();
  pace.Faster();
  EXPECT_EQ(StepsOfFrame(pace, 570), (std::vector<std::uint32_t>{70, 90, 110, 130}));
  for (int press = 0; press < 10; ++press) pace.Slower();
  EXPECT_EQ(pace.Speed(), 0.25);
  EXPECT_EQ(StepsOfFrame(pace, 580), std::vector<std::uint32_t>{132});
  EXPECT_EQ(StepsOfFrame(pace, 582), std::vector<std::uint32_t>{133});
  for (int press = 0; press < 10; ++press) pace.Faster();
  EXPECT_EQ(pace.Speed(), 16.0);
}

// Test fixture for the battle rules and unit behaviours: a battlefield of its own on a hand-driven
// clock with a fixed random seed, an optional flat map, and frames stepped in the frame loop's
// order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "math/Vector3.h"
#include "objects/GameObject.h"
#include "statemachine/Message.h"
#include "statemachine/StateMachine.h"

// A machine that only remembers the messages it receives, to stand in for a superior or a
// member whose own behaviour would get in the way.
class RecordingSM : public StateMachine {
 public:
  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  // How many received messages carry this id.
  int Count(int id) const;

  std::vector<Message> received;
};

class Battlefield : public ::testing::Test {
 protected:
  static constexpr unsigned kSeed = 12345;
  static constexpr std::uint32_t kFrameMs = 16;

  void SetUp() override;
  void TearDown() override;

  // Drops the current battlefield and builds a fresh one of the scenario, its clock at 0.
  void Rebuild(Scenario scenario = Scenario{}, unsigned seed = kSeed);
  // Replaces the height map by a flat square of the given side (heights 0), as the game would
  // have scaled it.
  void UseFlatTerrain(int side);
  // One frame: the clock moves on by ms, then the battle steps.
  void StepFrame(std::uint32_t ms = kFrameMs);
  void StepFrames(int count, std::uint32_t ms = kFrameMs);

  // An object with a sprite and no machine, registered like the factory's.
  GameObject* AddBare(const std::string& name, int type, int team, const Vector3& at);
  // A bare object whose only machine records its messages.
  RecordingSM* AddRecorder(const std::string& name, int type, int team, const Vector3& at);
  // Delivers a message at once, as a machine's SendTo would.
  void SendNow(int id, const std::string& receiver, const std::string& sender);
  // The value the next draw of RandomFloat will give, leaving the generator re-seeded at seed.
  float PeekRandomFloat(unsigned seed);

  std::unique_ptr<Battle> battle;
  std::uint32_t elapsedMs = 0;
};

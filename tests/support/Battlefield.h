// Test fixture: a battlefield of its own on a hand-driven clock with a fixed random seed, stepped
// either whole, in the frame loop's order, or as the engine alone (objects, then due messages),
// with helpers to add bare, recording and scripted objects. The tests' own messages are named.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "battle/Battle.h"
#include "math/Vector3.h"
#include "objects/GameObject.h"
#include "statemachine/Message.h"
#include "tests/support/RecordingSM.h"
#include "tests/support/ScriptedMachine.h"
#include "tests/support/TestMessages.h"

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

  // Moves the clock on, as the first step of a frame does.
  void AdvanceMs(std::uint32_t milliseconds);
  // One whole frame: the clock moves on by ms, then the battle steps.
  void StepFrame(std::uint32_t ms = kFrameMs);
  void StepFrames(int count, std::uint32_t ms = kFrameMs);
  // Runs the object manager's update with the timer's delta, like an unpaused frame.
  void UpdateObjects();
  // AdvanceMs, UpdateObjects and the due messages: a frame of the engine alone, without the
  // battle's duels and rules.
  void StepObjectsAndMessages(std::uint32_t milliseconds);

  // An object with a sprite and no machine, registered like the factory's.
  GameObject* AddBare(const std::string& name, int type, int team, const Vector3& at);
  // A bare object whose only machine records its messages.
  RecordingSM* AddRecorder(const std::string& name, int type, int team, const Vector3& at);
  // An object with neither sprite nor machine.
  GameObject& AddObject(const std::string& name);
  // Adds an object and then pushes a scripted machine onto it, started unless start is false;
  // script declares the machine's blocks before it is entered.
  ScriptedMachine& AddScripted(const std::string& name, const std::function<void(ScriptedMachine&)>& script,
                               bool start = true);
  // Pushes another scripted machine onto an existing object.
  ScriptedMachine& PushScripted(GameObject& object, const std::function<void(ScriptedMachine&)>& script,
                                bool start = true);

  // Delivers a message at once, as a machine's SendTo would.
  void SendNow(int id, const std::string& receiver, const std::string& sender);
  // The value the next draw of RandomFloat will give, leaving the generator re-seeded at seed.
  float PeekRandomFloat(unsigned seed);

  GameObject* Find(const std::string& name) const;
  float Now() const;
  GameObjectManager& objects() { return *battle->objects; }
  MessageRouter& router() { return *battle->router; }
  TraceLog& traceLog() { return *battle->traceLog; }

  std::unique_ptr<Battle> battle;
  std::uint32_t elapsedMs = 0;
};

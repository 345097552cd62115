// Test fixture holding a whole engine: a battlefield of its own on a hand-driven clock, and
// helpers to step frames and add scripted objects.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "tests/support/ScriptedMachine.h"

class World : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Moves the clock on, as the first step of a frame does.
  void AdvanceMs(std::uint32_t milliseconds);
  // Runs the object manager's update with the timer's delta, like an unpaused frame.
  void UpdateObjects();
  // AdvanceMs, UpdateObjects and DeliverDue: one whole simulation frame.
  void Frame(std::uint32_t milliseconds);

  // Adds an object to the manager and then pushes a scripted machine onto it, started unless
  // start is false; script declares the machine's blocks before it is entered.
  ScriptedMachine& AddScripted(const std::string& name, const std::function<void(ScriptedMachine&)>& script,
                               bool start = true);
  // Adds a bare object with no machine.
  GameObject& AddObject(const std::string& name);
  // Pushes another scripted machine onto an existing object.
  ScriptedMachine& PushScripted(GameObject& object, const std::function<void(ScriptedMachine&)>& script,
                                bool start = true);

  GameObject* Find(const std::string& name) const;
  float Now() const;

  Battle& battle() { return *world; }
  GameObjectManager& objects() { return *world->objects; }
  MessageRouter& router() { return *world->router; }
  TraceLog& traceLog() { return *world->traceLog; }

 private:
  std::unique_ptr<Battle> world;
  std::uint32_t elapsedMs = 0;
};

// Test fixture holding a whole engine: a hand-driven clock, a Game without graphics or input
// registered as the process-wide game, and helpers to step frames and add scripted objects.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/Game.h"
#include "objects/GameObject.h"
#include "tests/support/ScriptedMachine.h"

class World : public ::testing::Test {
 protected:
  // A start far from 0, so that tick arithmetic is not accidentally relative to zero.
  static constexpr std::uint32_t kStartTick = 5'000'000;

  void SetUp() override;
  void TearDown() override;

  // Moves the hand-driven clock on and ticks the timer, as the first step of a frame does.
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

  Game& game() { return *world; }
  GameObjectManager& objects() { return *world->objects; }
  MessageRouter& router() { return *world->router; }
  TraceLog& traceLog() { return *world->traceLog; }

 private:
  std::unique_ptr<Game> world;
};

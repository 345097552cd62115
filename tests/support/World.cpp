// The engine fixture: set-up and tear-down of the process-wide instances around each test.
#include "tests/support/World.h"

#include "platform/TickCounter.h"

void World::SetUp() {
  TickCounter::UseManual(kStartTick);
  world = std::make_unique<Game>(nullptr, nullptr);
  Game::SetInstance(world.get());
}

void World::TearDown() {
  Game::SetInstance(nullptr);
  world.reset();
  TickCounter::UseClock();
}

void World::AdvanceMs(std::uint32_t milliseconds) {
  TickCounter::Advance(milliseconds);
  world->timer->Tick();
}

void World::UpdateObjects() { world->objects->Update(world->timer->delta); }

void World::Frame(std::uint32_t milliseconds) {
  AdvanceMs(milliseconds);
  UpdateObjects();
  world->router->DeliverDue();
}

ScriptedMachine& World::AddScripted(const std::string& name, const std::function<void(ScriptedMachine&)>& script,
                                    bool start) {
  return PushScripted(AddObject(name), script, start);
}

GameObject& World::AddObject(const std::string& name) {
  auto object = std::make_unique<GameObject>(name, 0, 0, 2.0f);
  GameObject& added = *object;
  world->objects->Add(std::move(object));
  return added;
}

ScriptedMachine& World::PushScripted(GameObject& object, const std::function<void(ScriptedMachine&)>& script,
                                     bool start) {
  auto machine = std::make_unique<ScriptedMachine>(&object);
  ScriptedMachine& pushed = *machine;
  if (script) script(pushed);
  object.PushMachine(std::move(machine), start);
  return pushed;
}

GameObject* World::Find(const std::string& name) const { return world->objects->Find(name); }

float World::Now() const { return world->timer->now; }

// The engine fixture: a battlefield built for each test.
#include "tests/support/World.h"

void World::SetUp() { world = std::make_unique<Battle>(); }

void World::TearDown() { world.reset(); }

void World::AdvanceMs(std::uint32_t milliseconds) {
  elapsedMs += milliseconds;
  world->timer.TickTo(elapsedMs);
}

void World::UpdateObjects() { world->objects->Update(world->timer.delta); }

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
  auto object = std::make_unique<GameObject>(name, 0, 0, 2.0f, world.get());
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

float World::Now() const { return world->timer.now; }

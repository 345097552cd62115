// The battlefield fixture.
#include "tests/support/Battlefield.h"

#include <string_view>
#include <utility>

#include "math/RandomFloat.h"
#include "objects/Sprite.h"
#include "platform/DebugChannel.h"
#include "tests/terrain/TestMaps.h"
#include "units/UnitFactory.h"

namespace {
// The terrain's loading progress is of no interest here.
void Discard(std::string_view) {}
}  // namespace

void Battlefield::SetUp() {
  DebugChannel::SetSink(&Discard);
  Rebuild();
}

void Battlefield::TearDown() {
  battle.reset();
  DebugChannel::SetSink(nullptr);
}

void Battlefield::Rebuild(Scenario scenario, unsigned seed) {
  battle.reset();
  battle = std::make_unique<Battle>(std::move(scenario), seed);
  NameTestMessages(*battle->traceLog);
  elapsedMs = 0;
}

void Battlefield::UseFlatTerrain(int side) {
  battle->terrain.LoadPixels(testmaps::RgbaImage(side, side, [](int, int) { return static_cast<unsigned char>(0); }),
                             true);
  battle->terrain.Scale(0.0f, 10.0f);
}

void Battlefield::AdvanceMs(std::uint32_t milliseconds) {
  elapsedMs += milliseconds;
  battle->timer.TickTo(elapsedMs);
}

void Battlefield::StepFrame(std::uint32_t ms) {
  AdvanceMs(ms);
  battle->RunSimulationStep();
}

void Battlefield::StepFrames(int count, std::uint32_t ms) {
  for (int i = 0; i < count; ++i) StepFrame(ms);
}

void Battlefield::UpdateObjects() { battle->objects->Update(battle->timer.delta); }

void Battlefield::StepObjectsAndMessages(std::uint32_t milliseconds) {
  AdvanceMs(milliseconds);
  UpdateObjects();
  battle->router->DeliverDue();
}

GameObject* Battlefield::AddBare(const std::string& name, int type, int team, const Vector3& at) {
  auto object = std::make_unique<GameObject>(name, team, type, UnitFactory::Info(type).attackRange, battle.get());
  GameObject* raw = object.get();
  object->SetSprite(std::make_unique<Sprite>(raw, at, 0.0f));
  battle->objects->Add(std::move(object));
  return raw;
}

RecordingSM* Battlefield::AddRecorder(const std::string& name, int type, int team, const Vector3& at) {
  GameObject* object = AddBare(name, type, team, at);
  auto machine = std::make_unique<RecordingSM>(object);
  RecordingSM* raw = machine.get();
  object->PushMachine(std::move(machine), true);
  return raw;
}

GameObject& Battlefield::AddObject(const std::string& name) {
  auto object = std::make_unique<GameObject>(name, 0, 0, 2.0f, battle.get());
  GameObject& added = *object;
  battle->objects->Add(std::move(object));
  return added;
}

ScriptedMachine& Battlefield::AddScripted(const std::string& name, const std::function<void(ScriptedMachine&)>& script,
                                          bool start) {
  return PushScripted(AddObject(name), script, start);
}

ScriptedMachine& Battlefield::PushScripted(GameObject& object, const std::function<void(ScriptedMachine&)>& script,
                                           bool start) {
  auto machine = std::make_unique<ScriptedMachine>(&object);
  ScriptedMachine& pushed = *machine;
  if (script) script(pushed);
  object.PushMachine(std::move(machine), start);
  return pushed;
}

void Battlefield::SendNow(int id, const std::string& receiver, const std::string& sender) {
  battle->router->Send(0.0f, id, receiver, sender, SCOPE_None, 0, DATA_Integer, 0, false);
}

float Battlefield::PeekRandomFloat(unsigned seed) {
  battle->random.Seed(seed);
  const float value = RandomFloat(battle->random);
  battle->random.Seed(seed);
  return value;
}

GameObject* Battlefield::Find(const std::string& name) const { return battle->objects->Find(name); }

float Battlefield::Now() const { return battle->timer.now; }

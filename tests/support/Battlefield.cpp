// Test fixture for the battle rules and unit behaviours.
#include "tests/support/Battlefield.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "math/RandomFloat.h"
#include "objects/Sprite.h"
#include "objects/UnitFactory.h"
#include "platform/DebugChannel.h"
#include "tests/terrain/TestMaps.h"

namespace {
// The terrain's loading progress is of no interest here.
void Discard(std::string_view) {}
}  // namespace

bool RecordingSM::HandleEvent(int event, Message* msg, int, int) {
  if (event == EVENT_Message && msg != nullptr) received.push_back(*msg);
  return true;
}

int RecordingSM::Count(int id) const {
  return static_cast<int>(
      std::count_if(received.begin(), received.end(), [id](const Message& m) { return m.id == id; }));
}

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
  elapsedMs = 0;
}

void Battlefield::UseFlatTerrain(int side) {
  battle->terrain.LoadPixels(testmaps::RgbaImage(side, side, [](int, int) { return static_cast<unsigned char>(0); }),
                             true);
  battle->terrain.Scale(0.0f, 10.0f);
}

void Battlefield::StepFrame(std::uint32_t ms) {
  elapsedMs += ms;
  battle->timer.TickTo(elapsedMs);
  battle->RunSimulationStep();
}

void Battlefield::StepFrames(int count, std::uint32_t ms) {
  for (int i = 0; i < count; ++i) StepFrame(ms);
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

void Battlefield::SendNow(int id, const std::string& receiver, const std::string& sender) {
  battle->router->Send(0.0f, id, receiver, sender, SCOPE_None, 0, DATA_Integer, 0, false);
}

float Battlefield::PeekRandomFloat(unsigned seed) {
  battle->random.Seed(seed);
  const float value = RandomFloat(battle->random);
  battle->random.Seed(seed);
  return value;
}

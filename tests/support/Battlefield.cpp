// Test fixture for the battle rules and unit behaviours.
#include "tests/support/Battlefield.h"

#include <algorithm>
#include <string_view>

#include "math/RandomFloat.h"
#include "objects/Sprite.h"
#include "objects/UnitFactory.h"
#include "platform/DebugChannel.h"
#include "platform/Random.h"
#include "platform/TickCounter.h"
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
  bloodEnabled = true;
  Rebuild();
}

void Battlefield::TearDown() {
  Game::SetInstance(nullptr);
  game.reset();
  TickCounter::UseClock();
  DebugChannel::SetSink(nullptr);
  bloodEnabled = true;
}

void Battlefield::Rebuild() {
  Game::SetInstance(nullptr);
  game.reset();
  TickCounter::UseManual(kStartTicks);
  game = std::make_unique<Game>(nullptr, nullptr);
  Game::SetInstance(game.get());
  platform::SeedRand(kSeed);
}

void Battlefield::UseFlatTerrain(int side) {
  game->terrain.LoadPixels(testmaps::RgbaImage(side, side, [](int, int) { return static_cast<unsigned char>(0); }),
                           true);
  game->terrain.Scale(0.0f, 10.0f);
}

void Battlefield::StepFrame(std::uint32_t ms) {
  TickCounter::Advance(ms);
  game->Frame();
}

void Battlefield::StepFrames(int count, std::uint32_t ms) {
  for (int i = 0; i < count; ++i) StepFrame(ms);
}

GameObject* Battlefield::AddBare(const std::string& name, int type, int team, const Vector3& at) {
  auto object = std::make_unique<GameObject>(name, team, type, UnitFactory::Info(type).attackRange);
  GameObject* raw = object.get();
  object->SetSprite(std::make_unique<Sprite>(raw, at, 0.0f));
  game->objects->Add(std::move(object));
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
  game->router->Send(0.0f, id, receiver, sender, SCOPE_None, 0, DATA_Integer, 0, false);
}

float Battlefield::PeekRandomFloat(unsigned seed) {
  platform::SeedRand(seed);
  const float value = RandomFloat();
  platform::SeedRand(seed);
  return value;
}

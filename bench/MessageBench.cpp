// Cost of the engine's two basic operations on the real classes: one message delivered through
// the router to a machine's handler, and one state change with its exit and enter handled.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "battle/Battle.h"
#include "bench/PingMachine.h"
#include "objects/GameObject.h"
#include "objects/GameObjectManager.h"
#include "platform/DebugChannel.h"
#include "statemachine/MessageRouter.h"

namespace {

// A battlefield, whose clock and router delivery needs, with two objects each driven by a
// PingMachine: the sender "Soldier 0" and the receiver "Soldier 1". A battle registers about 400
// objects; the lookup by name is a hash lookup, so it costs the same apart from cache effects.
class Engine {
 public:
  Engine() {
    DebugChannel::SetSink([](std::string_view) {});
    battle = std::make_unique<Battle>();
    sender = AddPinger("Soldier 0");
    receiver = AddPinger("Soldier 1");
    // Moves the new objects from pending into the registry, as the first frame does.
    battle->objects->Update(battle->timer.delta);
  }
  ~Engine() {
    battle.reset();
    DebugChannel::SetSink(nullptr);
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void AdvanceMs(std::uint32_t ms) {
    elapsedMs += ms;
    battle->timer.TickTo(elapsedMs);
  }

  std::unique_ptr<Battle> battle;
  std::uint32_t elapsedMs = 0;
  PingMachine* sender = nullptr;
  PingMachine* receiver = nullptr;

 private:
  PingMachine* AddPinger(const char* name) {
    auto object = std::make_unique<GameObject>(name, 0, 0, 2.0f, battle.get());
    auto machine = std::make_unique<PingMachine>(object.get());
    PingMachine* raw = machine.get();
    object->PushMachine(std::move(machine), true);
    battle->objects->Add(std::move(object));
    return raw;
  }
};

// SendTo with no delay: the router builds the message, finds the receiver by name, checks the
// scope and runs the receiver's ProcessEvent, all before SendTo returns.
void BM_MessageDispatch_SendToNoDelay(benchmark::State& state) {
  Engine engine;
  for (auto _ : state) {
    engine.sender->SendTo(PingMachine::MSG_Ping, "Soldier 1", 0);
  }
  state.counters["delivered"] =
      static_cast<double>(engine.receiver->received) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MessageDispatch_SendToNoDelay)->Name("BM_MessageDispatch/SendToNoDelay");

// A delayed message queued, then found due and delivered by the frame's DeliverDue. Each
// iteration moves the clock on by 100 ms, so the iteration count is fixed to keep the float
// clock exact to well below the 50 ms delay.
void BM_MessageDispatch_QueuedThenDeliverDue(benchmark::State& state) {
  Engine engine;
  MessageRouter& router = *engine.battle->router;
  for (auto _ : state) {
    engine.sender->SendToSelfDelayed(0.05f, PingMachine::MSG_Ping, SCOPE_None, 0);
    engine.AdvanceMs(100);
    router.DeliverDue();
  }
  state.counters["delivered"] = static_cast<double>(engine.sender->received) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MessageDispatch_QueuedThenDeliverDue)->Name("BM_MessageDispatch/QueuedThenDeliverDue")->Iterations(200000);

// The baseline for the state change: an update that its state handles without any change.
void BM_StateMachine_UpdateWithoutChange(benchmark::State& state) {
  Engine engine;
  for (auto _ : state) {
    engine.receiver->Update();
  }
  state.counters["changes"] = static_cast<double>(engine.receiver->exits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StateMachine_UpdateWithoutChange)->Name("BM_StateMachine/UpdateWithoutChange");

// The same update requesting the other state: on top of the baseline come the Exit of the old
// state, the trace log's change report (counted by the game; tracing is off) and the Enter.
void BM_StateMachine_UpdateWithStateChange(benchmark::State& state) {
  Engine engine;
  engine.receiver->flipping = true;
  for (auto _ : state) {
    engine.receiver->Update();
  }
  state.counters["changes"] = static_cast<double>(engine.receiver->exits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StateMachine_UpdateWithStateChange)->Name("BM_StateMachine/UpdateWithStateChange");

}  // namespace

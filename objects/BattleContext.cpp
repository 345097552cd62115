// Building a battlefield's shared parts, and copying them for a copied battle.
#include "objects/BattleContext.h"

namespace {
// The router hands a message to the running machine of the object of the receiver's name.
MessageRouter::MachineFinder ReceiverLookup(const BattleContext& context) {
  return [&context](const std::string& name) -> StateMachine* {
    GameObject* receiver = context.Find(name);
    return receiver != nullptr ? receiver->TopMachine() : nullptr;
  };
}
}  // namespace

BattleContext::BattleContext(unsigned seed, BattleRules& battleRules)
    : random(seed),
      traceLog(std::make_unique<TraceLog>(timer)),
      router(std::make_unique<MessageRouter>(timer, ReceiverLookup(*this))),
      objects(std::make_unique<GameObjectManager>()),
      rules(&battleRules) {}

BattleContext::BattleContext(const BattleContext& original, BattleRules& copiedRules)
    : paintFootsteps(original.paintFootsteps),
      traceLog(std::make_unique<TraceLog>(timer)),
      router(std::make_unique<MessageRouter>(timer, ReceiverLookup(*this))),
      objects(std::make_unique<GameObjectManager>()),
      terrain(original.terrain),
      rules(&copiedRules) {
  timer.startTick = original.timer.startTick;
  traceLog->CopyFrom(*original.traceLog);
  pathFinder = std::make_unique<PathFinder>(terrain, *original.pathFinder);
}

// The objects go first: their machines and handles reach into the rest while they are destroyed.
BattleContext::~BattleContext() { objects.reset(); }

void BattleContext::SetStepThreads(int threads) {
  if (threads < 2) {
    walkForesight.reset();
  } else if (walkForesight == nullptr) {
    walkForesight = std::make_unique<WalkForesight>(terrain);
  }
}

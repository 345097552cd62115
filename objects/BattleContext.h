// What the objects and machines of one battlefield share as they run: the clock, the random
// generator, the message router and trace log, the object registry and the slots behind its
// handles, the ground and its path finder, and the switches units read. The rules that decide
// duels and battles stand above the units, which reach them through Rules().
#pragma once

#include <memory>
#include <string>

#include "objects/GameObjectManager.h"
#include "objects/HandleSlots.h"
#include "objects/WalkForesight.h"
#include "platform/Random.h"
#include "platform/Timer.h"
#include "statemachine/MessageRouter.h"
#include "statemachine/TraceLog.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

class BattleRules;

class BattleContext {
 public:
  // Seeds the generator. The ground stays empty, and pathFinder null, until the owner loads them.
  BattleContext(unsigned seed, BattleRules& battleRules);
  ~BattleContext();
  BattleContext(const BattleContext&) = delete;
  BattleContext& operator=(const BattleContext&) = delete;

  // The object of that name, or null.
  GameObject* Find(const std::string& name) const { return objects ? objects->Find(name) : nullptr; }
  BattleRules& Rules() const { return *rules; }

  // Whether a dying unit leaves a blood splat.
  bool bloodEnabled = true;
  // Walking units paint the ground under them, which shows only on the window's dynamic
  // terrain. Without a window it is work nobody sees: a write to a scattered line of the colour
  // grid for every unit on every step, so the headless runner switches it off.
  bool paintFootsteps = true;

  platform::Random random;
  // Before the objects, which hold slots until they are destroyed.
  HandleSlots handleSlots;
  Timer timer;
  std::unique_ptr<TraceLog> traceLog;
  std::unique_ptr<MessageRouter> router;
  std::unique_ptr<GameObjectManager> objects;
  Terrain terrain;
  std::unique_ptr<PathFinder> pathFinder;
  // The second thread of a step, when asked for; after the ground it reads, so gone before it.
  std::unique_ptr<WalkForesight> walkForesight;

  // Steps on one thread, or on two: the same battle either way.
  void SetStepThreads(int threads);

 protected:
  // The ground, the switches and the trace log's records; the battle's state comes after, by its
  // walk, once the copy's rules are whole too.
  BattleContext(const BattleContext& original, BattleRules& copiedRules);

 private:
  BattleRules* const rules;
};

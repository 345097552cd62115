// The object manager: finding pending objects, registration under a taken name, the last
// update of removed objects, RemoveAll, system messages and objects created mid-pass.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/Battlefield.h"

namespace {
// Counts its updates and its destruction in a journal that outlives it, and can run an action
// during its update.
struct Journal {
  std::map<std::string, int> updates;
  std::map<std::string, bool> destroyed;
};

class ProbeObject : public GameObject {
 public:
  ProbeObject(const std::string& objectName, std::string key, Journal& journal, Battle& field)
      : GameObject(objectName, 0, 0, 2.0f, &field), tag(std::move(key)), log(journal) {}
  ~ProbeObject() override { log.destroyed[tag] = true; }

  void Update(float dt) override {
    ++log.updates[tag];
    if (duringUpdate) duringUpdate();
    GameObject::Update(dt);
  }

  std::function<void()> duringUpdate;

 private:
  std::string tag;
  Journal& log;
};

class GameObjectManager : public Battlefield {
 protected:
  // The probe's key in the journal defaults to its name.
  ProbeObject& AddProbe(const std::string& name, const std::string& key = "") {
    auto probe = std::make_unique<ProbeObject>(name, key.empty() ? name : key, journal, *battle);
    ProbeObject& added = *probe;
    objects().Add(std::move(probe));
    return added;
  }

  Journal journal;
};

TEST_F(GameObjectManager, FindSeesPendingObjectsBeforeRegistration) {
  ProbeObject& probe = AddProbe("Soldier 0");
  EXPECT_EQ(Find("Soldier 0"), &probe);
  EXPECT_EQ(objects().PendingCount(), 1u);
  EXPECT_EQ(objects().RegisteredCount(), 0u);
  UpdateObjects();
  EXPECT_EQ(Find("Soldier 0"), &probe);
  EXPECT_EQ(objects().RegisteredCount(), 1u);
  EXPECT_EQ(Find("Soldier 1"), nullptr);
  EXPECT_EQ(Find(""), nullptr);
}

TEST_F(GameObjectManager, FindReturnsTheFirstOfEqualPendingNames) {
  ProbeObject& first = AddProbe("Blood", "first");
  AddProbe("Blood", "second");
  EXPECT_EQ(Find("Blood"), &first);
}

TEST_F(GameObjectManager, SecondObjectOfANameReplacesTheFirst) {
  AddProbe("Blood", "first");
  ProbeObject& second = AddProbe("Blood", "second");
  UpdateObjects();
  UpdateObjects();
  EXPECT_EQ(Find("Blood"), &second);
  EXPECT_EQ(objects().RegisteredCount(), 1u);
  EXPECT_EQ(journal.updates["first"], 0);
  EXPECT_EQ(journal.updates["second"], 2);
  EXPECT_TRUE(journal.destroyed["first"]);
}

TEST_F(GameObjectManager, NewObjectTakesTheNameOfARegisteredOne) {
  AddProbe("Arrow", "old");
  UpdateObjects();
  ProbeObject& fresh = AddProbe("Arrow", "new");
  UpdateObjects();
  EXPECT_EQ(Find("Arrow"), &fresh);
  EXPECT_EQ(journal.updates["old"], 1);
  EXPECT_EQ(journal.updates["new"], 1);
  EXPECT_TRUE(journal.destroyed["old"]);
}

TEST_F(GameObjectManager, RemovedObjectGetsOneLastUpdateThenIsDeleted) {
  ProbeObject& doomed = AddProbe("Soldier 0");
  UpdateObjects();
  doomed.MarkForRemoval();
  UpdateObjects();
  EXPECT_EQ(journal.updates["Soldier 0"], 2);
  EXPECT_TRUE(journal.destroyed["Soldier 0"]);
  EXPECT_EQ(Find("Soldier 0"), nullptr);
  EXPECT_EQ(objects().RegisteredCount(), 0u);
}

TEST_F(GameObjectManager, ObjectMarkingItselfDuringUpdateIsDeletedInThatPass) {
  ProbeObject& arrow = AddProbe("Arrow");
  arrow.duringUpdate = [&arrow] { arrow.MarkForRemoval(); };
  AddProbe("Soldier 0");
  UpdateObjects();
  EXPECT_TRUE(journal.destroyed["Arrow"]);
  EXPECT_EQ(objects().RegisteredCount(), 1u);
}

TEST_F(GameObjectManager, RemoveAllSparesPendingObjects) {
  AddProbe("General 0", "old general");
  AddProbe("Soldier 0", "old soldier");
  UpdateObjects();
  objects().RemoveAll();
  AddProbe("General 0", "new general");
  AddProbe("Soldier 7", "new soldier");
  UpdateObjects();
  EXPECT_TRUE(journal.destroyed["old general"]);
  EXPECT_TRUE(journal.destroyed["old soldier"]);
  EXPECT_FALSE(journal.destroyed["new general"]);
  EXPECT_FALSE(journal.destroyed["new soldier"]);
  EXPECT_EQ(journal.updates["old soldier"], 2);
  EXPECT_EQ(journal.updates["old general"], 1);
  EXPECT_EQ(objects().RegisteredCount(), 2u);
  EXPECT_FALSE(Find("General 0")->removed);
}

// The registered leader first, then the newest of a name once registered, then nothing after
// removal; a pending one is found before registration, and "03" is no serial.
TEST_F(GameObjectManager, SquadLeaderBySerialFindsWhatItsNameFinds) {
  ProbeObject& old = AddProbe("SquadLeader 3", "old");
  UpdateObjects();
  AddProbe("SquadLeader 3", "first");
  ProbeObject& second = AddProbe("SquadLeader 3", "second");
  ProbeObject& waiting = AddProbe("SquadLeader 5");
  AddProbe("SquadLeader 04");
  EXPECT_EQ(objects().FindSquadLeader(3), &old);
  EXPECT_EQ(objects().FindSquadLeader(5), &waiting);
  EXPECT_EQ(objects().FindSquadLeader(4), nullptr);
  UpdateObjects();
  EXPECT_EQ(objects().FindSquadLeader(3), &second);
  second.MarkForRemoval();
  UpdateObjects();
  EXPECT_EQ(objects().FindSquadLeader(3), nullptr);
  EXPECT_EQ(Find("SquadLeader 3"), nullptr);
  EXPECT_EQ(objects().SquadLeaderSerialEnd(), 6);
}

TEST_F(GameObjectManager, ObjectCreatedDuringUpdateWaitsForTheNextUpdate) {
  ProbeObject& spawner = AddProbe("General 0");
  spawner.duringUpdate = [this, &spawner] {
    AddProbe("Squadleader 0");
    spawner.duringUpdate = nullptr;
  };
  UpdateObjects();
  EXPECT_NE(Find("Squadleader 0"), nullptr);
  EXPECT_EQ(journal.updates["Squadleader 0"], 0);
  EXPECT_EQ(objects().PendingCount(), 1u);
  UpdateObjects();
  EXPECT_EQ(journal.updates["Squadleader 0"], 1);
}

TEST_F(GameObjectManager, SystemMessageGoesStraightToTheTopMachine) {
  ScriptedMachine& machine = AddScripted("Arrow", nullptr);
  machine.calls.clear();
  router().Send(5.0f, MSG_Arrived, "Arrow", "System", SCOPE_None, 0, DATA_None, 0, false);
  objects().SendSystemMessage("Arrow", MSG_Arrived);
  ASSERT_EQ(machine.calls.size(), 2u);  // the state block, then the global block
  EXPECT_EQ(machine.calls[0], MessageCall(MSG_Arrived, 0, 0));
  EXPECT_EQ(router().Pending().size(), 1u);
}

TEST_F(GameObjectManager, SystemMessageToMissingNameDoesNothing) {
  ScriptedMachine& machine = AddScripted("Arrow", nullptr);
  machine.calls.clear();
  objects().SendSystemMessage("Arrow 1", MSG_Arrived);
  objects().SendSystemMessage("", MSG_Arrived);
  EXPECT_TRUE(machine.calls.empty());
}

TEST_F(GameObjectManager, UpdateRunsEachObjectsMachines) {
  ScriptedMachine& machine = AddScripted("Soldier 0", [](ScriptedMachine& m) {
    m.DefineState(0).Update([](ScriptedMachine& self) { self.SetState(1); });
  });
  UpdateObjects();
  EXPECT_EQ(machine.GetState(), 1);
}

// Removals in the middle of a pass must neither skip nor repeat anyone, and must leave the
// others in the order they had.
TEST_F(GameObjectManager, RemovalsMidPassKeepEveryoneElseOnceAndInOrder) {
  std::vector<std::string> sequence;
  for (int i = 0; i < 60; ++i) {
    const std::string name = "Soldier " + std::to_string(i);
    ProbeObject& probe = AddProbe(name);
    probe.duringUpdate = [&sequence, &probe, name, i] {
      sequence.push_back(name);
      if (i % 3 == 0) probe.MarkForRemoval();
    };
  }
  UpdateObjects();
  std::vector<std::string> expected;
  for (const std::string& name : sequence) {
    if (std::stoi(name.substr(8)) % 3 != 0) expected.push_back(name);
  }
  ASSERT_EQ(sequence.size(), 60u);
  sequence.clear();
  UpdateObjects();
  EXPECT_EQ(sequence, expected);
  EXPECT_EQ(objects().RegisteredCount(), 40u);
}

TEST_F(GameObjectManager, HandleReadsNullOnceItsObjectIsDeleted) {
  ProbeObject& old = AddProbe("Blood", "old");
  UpdateObjects();
  const HandleSlots& slots = battle->handleSlots;
  const ObjectHandle toOld(&old, slots);
  ProbeObject& fresh = AddProbe("Blood", "fresh");
  EXPECT_EQ(toOld.Get(slots), &old);  // still what the name finds until the newer one is registered
  UpdateObjects();
  EXPECT_EQ(toOld.Get(slots), nullptr);
  AddProbe("Soldier 0");  // may take the freed slot, and must not bring the handle back
  EXPECT_EQ(toOld.Get(slots), nullptr);

  const ObjectHandle toFresh(&fresh, slots);
  fresh.MarkForRemoval();
  UpdateObjects();
  EXPECT_EQ(toFresh.Get(slots), nullptr);
  EXPECT_EQ(ObjectHandle().Get(slots), nullptr);
}

}  // namespace

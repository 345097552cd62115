target_sources(battlesim_sim PRIVATE
  objects/Formation.cpp
  objects/BattleContext.cpp
  objects/GameObject.cpp
  objects/GameObjectManager.cpp
  objects/LeaderGrid.cpp
  objects/ObjectHandle.cpp
  objects/HandleSlots.cpp
  objects/RegistryOrder.cpp
  objects/SerialIndex.cpp
  objects/Sprite.cpp
  objects/UnitTypeInfo.cpp
  objects/WalkForesight.cpp
)

target_sources(battlesim_sim PRIVATE
  objects/Formation.cpp
  objects/GameObject.cpp
  objects/GameObjectManager.cpp
  objects/LeaderGrid.cpp
  objects/ObjectHandle.cpp
  objects/HandleSlots.cpp
  objects/RegistryOrder.cpp
  objects/SerialIndex.cpp
  objects/Sprite.cpp
)
target_sources(battlesim_sim PRIVATE objects/UnitFactory.cpp)

target_sources(battlesim_sim PRIVATE
  strategy/LuaState.cpp
)

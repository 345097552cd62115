target_sources(battlesim_sim PRIVATE
  strategy/LuaState.cpp
  strategy/BattleView.cpp
  strategy/StrategyScript.cpp
)

target_sources(battlesim_sim PRIVATE
  battle/Battle.cpp
  battle/BattleTimeline.cpp
)

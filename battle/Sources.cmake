target_sources(battlesim_core PRIVATE
  battle/Battle.cpp
  battle/BattleTimeline.cpp
)

target_sources(battlesim_sim PRIVATE
  battle/Battle.cpp
  battle/BattleFingerprint.cpp
  battle/BattleTimeline.cpp
)

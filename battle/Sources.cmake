target_sources(battlesim_sim PRIVATE
  battle/Battle.cpp
  battle/BattleFingerprint.cpp
  battle/BattleFile.cpp
  battle/BattleFileReader.cpp
  battle/BattleFileWriter.cpp
  battle/BattleTimeline.cpp
)

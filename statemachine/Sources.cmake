target_sources(battlesim_sim PRIVATE
  statemachine/Message.cpp
  statemachine/MessageRouter.cpp
  statemachine/StateMachine.cpp
  statemachine/EventClauses.cpp
  statemachine/TraceLog.cpp
)

battlesim_test_suite(statemachine_tests sim
  StateMachineTests.cpp MessageRouterTests.cpp TraceLogTests.cpp EventClausesTests.cpp DebugStreamTests.cpp
  MessageTests.cpp)

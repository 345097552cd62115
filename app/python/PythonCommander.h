// A General written in Python leading one side of one battle: its on_squad_ready and
// general_fights are asked exactly where a Lua script's are. The battle runs without Python's
// lock, so every call takes it for as long as Python runs. The first thing the General does wrong
// (an exception, an answer that makes no sense) ends its decisions, and the side forfeits.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "app/python/GeneralCalls.h"
#include "app/python/PythonBattleView.h"
#include "units/Commander.h"
#include "units/GeneralAnswer.h"

class Battle;

class PythonCommander : public Commander {
 public:
  // Longer reasons are cut: the General's own exception text is its to make long.
  static constexpr std::size_t kLongestReason = 300;

  // general must have on_squad_ready; the caller holds Python's lock. calls outlives the commander.
  // A commander given a failure has failed from the start, with that reason.
  PythonCommander(Battle& battle, pybind11::handle general, GeneralCalls& calls, const std::string& failedAlready = {});
  ~PythonCommander() override;
  PythonCommander(const PythonCommander&) = delete;
  PythonCommander& operator=(const PythonCommander&) = delete;

  SquadOrder OnSquadReady(const GameObject& general, const GameObject& leader) override;
  bool DecidesWhenToFight() const override { return static_cast<bool>(fightFunction); }
  bool GeneralFights(const GameObject& general, bool& fights) override;

  bool Failed() const override { return !failure.empty(); }
  const std::string& Failure() const override { return failure; }
  const std::string& LastDecision() const override { return lastDecision; }

  // "FILE:LINE: Type: message" of the exception being handled, or its last line alone.
  static std::string ExceptionReason(pybind11::error_already_set& error);
  // "FILE:LINE: name" where the function is defined, or the name alone.
  static std::string Where(pybind11::handle function, const char* name);

 private:
  SquadOrder ReadOrder(pybind11::handle answer, const GameObject& leader);
  GeneralAnswer AnswerOf(pybind11::handle answer) const;
  GeneralAnswer::Value ValueOf(pybind11::handle value) const;
  bool Fail(const std::string& why);
  // Around every call: the view lent and the call counted, then both ended.
  void Begin(const GameObject& general);
  void End();
  void Caught(pybind11::error_already_set& error);

  Battle* viewed;
  GeneralCalls* calls;
  // The running call's view, owned by Python, which may keep it beyond the call: it then refuses to be read.
  pybind11::object viewObject;
  PythonBattleView* view = nullptr;
  pybind11::object orderFunction;
  pybind11::object fightFunction;
  pybind11::object realNumber;
  pybind11::object integralNumber;
  std::string orderWhere;
  std::string fightWhere;
  std::string failure;
  std::string lastDecision = "none yet";
};

// Makes a machine again from the kind name it gave (StateMachine::Kind), for a battle read back
// from a file. The machines' own layer knows the kinds; objects know only this.
#pragma once

#include <memory>
#include <string_view>

class GameObject;
class StateMachine;

class MachineMaker {
 public:
  virtual ~MachineMaker() = default;
  // A machine of that kind steering the owner, not started (its fields are read next); null for
  // a kind there is none of.
  virtual std::unique_ptr<StateMachine> Make(std::string_view kind, GameObject* owner) const = 0;
};

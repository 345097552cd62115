// Base of every world object: a name that is its key in the whole system, and what its machines
// know of it.
#pragma once

#include <string>
#include <utility>

#include "statemachine/MachineOwner.h"

class GOB : public MachineOwner {
 public:
  explicit GOB(std::string objectName) : MachineOwner(std::move(objectName)) {}

  virtual void Update(float dt) = 0;
  virtual void Draw() = 0;
};

// Base of every world object: a name that is its key in the whole system, what its machines know
// of it, and a per-frame update. Drawing is the renderer's, which reads the objects' billboards.
#pragma once

#include <string>
#include <utility>

#include "statemachine/MachineOwner.h"

class GOB : public MachineOwner {
 public:
  explicit GOB(std::string objectName) : MachineOwner(std::move(objectName)) {}

  virtual void Update(float dt) = 0;
};

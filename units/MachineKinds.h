// The machine kinds of the simulation, made again by name for a battle read back from a file.
#pragma once

#include "objects/MachineMaker.h"

class MachineKinds final : public MachineMaker {
 public:
  std::unique_ptr<StateMachine> Make(std::string_view kind, GameObject* owner) const override;
};

// The part of a machine that leads a formation which every follower reads on each update. Objects
// keep the one in their stack at hand, so that followers reach their slots and the registry fetches
// them ahead without searching a leader's machines.
#pragma once

#include "objects/Formation.h"

class FormationLead {
 public:
  // The shape is drawn as the leading machine is made.
  explicit FormationLead(int shapeDraw) : formation(shapeDraw) {}

  Formation formation;

 protected:
  FormationLead(const FormationLead&) = delete;
  FormationLead& operator=(const FormationLead&) = delete;
  ~FormationLead() = default;
};

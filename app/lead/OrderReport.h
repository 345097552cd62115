// The orders a report of the window's records for a side led by hand (its JSON battle lines'
// "led" and "orders"), with the seed, frame length and battles the report ran: what
// battlesim-headless needs to play a led battle again without a window.
#pragma once

#include <map>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "units/HandOrder.h"

struct Scenario;

class OrderReport {
 public:
  // Reads the report at path; false with one line "FILE:LINE: reason" for a line that is not
  // ours, an order that cannot be read, orders out of step order, or a report that led no side.
  bool Read(const std::string& path, std::string& error);
  // The same for one battle line, as the verifier meets it: false with the reason alone.
  bool TakeBattleLine(const nlohmann::json& line, std::string& error);

  // The led side's team code, -1 while no line named one.
  int LedTeam() const { return team; }
  // The side's Commander in scenario becomes the book of the recorded orders.
  void LeadIn(Scenario& scenario) const;

  std::optional<unsigned> seed;
  std::optional<int> frameMs;
  int battles = 0;

 private:
  void TakeSummary(const nlohmann::json& line);

  int team = -1;
  std::map<int, std::vector<HandOrder>> orders;
};

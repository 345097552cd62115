// What a verifier adds to the checks of recorded runs, for a study's shards and a tournament's alike.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>

// Each record line (a battle or a game) as it is read, where a Refusal thrown names that line, and
// each run once its summary has been checked. Either may be left empty.
template <class Run>
struct RecordReader {
  std::function<void(const nlohmann::json& line)> record;
  std::function<void(Run&& run)> run;
};

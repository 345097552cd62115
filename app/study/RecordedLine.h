// A record line (a study's battle or a tournament's game) as a merge read it, kept for a verifier.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// What the line says of its record, read and checked, beside the line itself and where it stood.
template <class Record>
struct RecordedLine {
  std::string where;  // FILE:LINE
  Record record;
  nlohmann::json line;
};

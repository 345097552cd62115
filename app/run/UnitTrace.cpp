// Trace lines of chosen units, numbered by battle.
#include "app/run/UnitTrace.h"

#include <algorithm>
#include <utility>

#include "battle/Battle.h"
#include "statemachine/TraceLog.h"

UnitTrace::UnitTrace(std::vector<std::string> namesOrPrefixes, std::ostream& lines, int lastBattle)
    : patterns(std::move(namesOrPrefixes)), matched(patterns.size(), false), out(lines), last(lastBattle) {}

bool UnitTrace::Matches(const std::string& pattern, const std::string& ownerName) {
  if (!pattern.empty() && pattern.back() == ' ') return ownerName.starts_with(pattern);
  return ownerName == pattern;
}

bool UnitTrace::Watches(const std::string& ownerName) const {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&ownerName](const std::string& pattern) { return Matches(pattern, ownerName); });
}

// Names restart every battle, so without its number a line could belong to any of them. The
// headless runner never resets a battle, so the battles started are the battle's number.
void UnitTrace::Take(const TraceRecord& record) {
  const int number = battle != nullptr ? battle->BattlesStarted() : 0;
  if (number > last) return;
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    if (Matches(patterns[i], record.ownerName)) matched[i] = true;
  }
  out << "battle " << number << " " << TraceLog::FormatLine(record);
}

std::string UnitTrace::UnmatchedLine() const {
  std::string names;
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    if (!matched[i]) names += (names.empty() ? "\"" : ", \"") + patterns[i] + "\"";
  }
  if (names.empty()) return names;
  return "battlesim-headless: --trace matched no unit in this run: " + names +
         " (names are like \"Archer 12\"; one ending in a blank, \"Archer \", traces every unit it starts)\n";
}

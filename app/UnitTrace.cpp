// Trace lines of chosen units, numbered by battle.
#include "app/UnitTrace.h"

#include <algorithm>
#include <utility>

#include "app/Game.h"
#include "statemachine/TraceLog.h"

UnitTrace::UnitTrace(std::vector<std::string> namesOrPrefixes, std::ostream& lines)
    : patterns(std::move(namesOrPrefixes)), out(lines) {}

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
  const Game* game = Game::Instance();
  const int battle = game != nullptr ? game->battlesStarted : 0;
  out << "battle " << battle << " " << TraceLog::FormatLine(record);
}

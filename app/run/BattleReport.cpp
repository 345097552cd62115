// The battle line, as text or JSON.
#include "app/run/BattleReport.h"

#include <cstdio>
#include <sstream>
#include <string_view>

#include <nlohmann/json.hpp>

#include "app/run/HandOrderText.h"
#include "battle/BattleFingerprint.h"
#include "battle/Scenario.h"

namespace {
std::string_view FollowerName(int type) {
  const auto& names = ArmySetup::kFollowerTypeNames;
  return type >= 0 && type < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(type)] : "unknown";
}

void AppendTypesJson(std::ostream& line, const char* side, const std::vector<int>& types) {
  line << ",\"" << side << "_types\":[";
  for (std::size_t i = 0; i < types.size(); ++i) line << (i == 0 ? "\"" : ",\"") << FollowerName(types[i]) << '"';
  line << "]";
}

void AppendTypesText(std::ostream& line, const char* side, const std::vector<int>& types) {
  line << "; " << side << " squads";
  for (std::size_t i = 0; i < types.size(); ++i) line << (i == 0 ? " " : ", ") << FollowerName(types[i]);
}

// A script's error message may hold anything, invalid UTF-8 included.
std::string JsonString(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void AppendOrdersJson(std::ostream& line, const BattleReport& report) {
  if (report.led.empty()) return;
  line << ",\"led\":\"" << report.led << "\",\"orders\":[";
  for (std::size_t i = 0; i < report.orders.size(); ++i) {
    line << (i == 0 ? "\"" : ",\"") << HandOrderText::Format(report.orders[i]) << '"';
  }
  line << "]";
}

std::string Fixed3(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}
}  // namespace

std::string FormatBattleLine(const BattleReport& report, bool json, std::optional<unsigned> seed) {
  std::ostringstream line;
  const char* winner = report.redWon ? "red" : "blue";
  if (json) {
    line << "{";
    if (seed) line << "\"seed\":" << *seed << ",";
    line << "\"battle\":" << report.battle << ",\"winner\":";
    if (report.finished) {
      line << '"' << winner << '"';
    } else {
      line << "null,\"unfinished\":true";
    }
    line << ",\"seconds\":" << Fixed3(report.seconds) << ",\"frames\":" << report.frames
         << ",\"casualties\":" << report.casualties << ",\"kills\":";
    AppendKillsJson(line, report.kills);
    line << ",\"state_changes\":" << report.stateChanges;
    if (report.residentKb >= 0) line << ",\"resident_kb\":" << report.residentKb;
    AppendTypesJson(line, "red", report.redTypes);
    AppendTypesJson(line, "blue", report.blueTypes);
    if (!report.forfeitSide.empty()) {
      line << ",\"forfeit\":\"" << report.forfeitSide << "\",\"forfeit_reason\":" << JsonString(report.forfeitReason);
    }
    AppendOrdersJson(line, report);
    if (report.fingerprint) line << ",\"fingerprint\":\"" << BattleFingerprint::Hex(*report.fingerprint) << '"';
    line << "}\n";
    return line.str();
  }
  line << "Battle " << report.battle;
  if (seed) line << " of seed " << *seed;
  line << ": ";
  if (report.finished) {
    line << winner << " wins after ";
  } else {
    line << "unfinished after ";
  }
  line << Fixed3(report.seconds) << " s (" << report.frames << " frames), " << report.casualties
       << " casualties; kills since start: ";
  AppendKillsText(line, report.kills);
  line << "; state changes since start: " << report.stateChanges;
  if (report.residentKb >= 0) line << "; resident memory " << report.residentKb << " KiB";
  AppendTypesText(line, "red", report.redTypes);
  AppendTypesText(line, "blue", report.blueTypes);
  if (!report.forfeitSide.empty()) line << "; " << report.forfeitSide << " forfeits: " << report.forfeitReason;
  if (!report.led.empty())
    line << "; " << report.led << " led by hand, " << report.orders.size()
         << (report.orders.size() == 1 ? " order" : " orders");
  if (report.fingerprint) line << "; fingerprint " << BattleFingerprint::Hex(*report.fingerprint);
  line << "\n";
  return line.str();
}

// The run's summary line, in text and in JSON.
#include "app/run/RunSummary.h"

#include <ostream>
#include <sstream>

#include "app/run/BattleReport.h"
#include "app/run/FixedDecimals.h"
#include "app/run/WinRate.h"

namespace {
void AppendWinRateJson(std::ostream& line, const char* side, const WinRate& rate) {
  line << ",\"" << side << "_win_rate\":";
  if (!rate.known) {
    line << "null,\"" << side << "_win_ci95\":null";
    return;
  }
  line << FixedDecimals(rate.rate, 4) << ",\"" << side << "_win_ci95\":[" << FixedDecimals(rate.low, 4) << ","
       << FixedDecimals(rate.high, 4) << "]";
}

void AppendWinRateText(std::ostream& line, const char* side, const WinRate& rate) {
  if (!rate.known) return;
  line << "; " << side << " win rate " << FixedDecimals(100.0 * rate.rate, 1) << "% (95% interval "
       << FixedDecimals(100.0 * rate.low, 1) << "% to " << FixedDecimals(100.0 * rate.high, 1) << "%)";
}

void AppendIdentityJson(std::ostream& line, const RunSummary& summary) {
  if (summary.seedsMerged >= 0) {
    line << ",\"seeds_merged\":" << summary.seedsMerged;
  } else if (!summary.seedRange.empty()) {
    line << ",\"seeds\":\"" << summary.seedRange << "\"";
    if (!summary.shard.empty()) line << ",\"shard\":\"" << summary.shard << "\"";
  } else {
    line << ",\"seed\":" << summary.seed;
  }
}

void AppendIdentityText(std::ostream& line, const RunSummary& summary) {
  if (summary.seedsMerged >= 0) {
    line << summary.seedsMerged << " seeds merged";
  } else if (!summary.seedRange.empty()) {
    line << "seeds " << summary.seedRange;
    if (!summary.shard.empty()) line << " shard " << summary.shard;
  } else {
    line << "seed " << summary.seed;
  }
}

void AppendWindowJson(std::ostream& line, const WindowRun& window) {
  line << ",\"window\":{\"fixed_steps\":" << (window.fixedSteps ? "true" : "false");
  if (window.changedFromBattle > 0) line << ",\"changed_from_battle\":" << window.changedFromBattle;
  line << "}";
}

void AppendWindowText(std::ostream& line, const WindowRun& window) {
  line << "; window, " << (window.fixedSteps ? "fixed steps" : "one step per frame");
  if (window.changedFromBattle > 0) line << ", battle " << window.changedFromBattle << " on changed by the user";
}

std::string JsonSummary(const RunSummary& summary) {
  std::ostringstream line;
  line << "{\"summary\":true";
  AppendIdentityJson(line, summary);
  line << ",\"finished\":" << summary.finished << ",\"unfinished\":" << summary.unfinished
       << ",\"red_wins\":" << summary.redWins << ",\"blue_wins\":" << summary.blueWins;
  if (summary.IsStudy()) {
    line << ",\"kills\":";
    AppendKillsJson(line, summary.kills.byType);
  }
  if (summary.Timed()) {
    line << ",\"sim_per_wall\":" << FixedDecimals(summary.simPerWall, 1)
         << ",\"step_us\":{\"median\":" << FixedDecimals(summary.stepMedianUs, 1)
         << ",\"p99\":" << FixedDecimals(summary.stepP99Us, 1) << ",\"max\":" << FixedDecimals(summary.stepMaxUs, 1)
         << "}";
  }
  AppendWinRateJson(line, "red", WinRate::Of(summary.redWins, summary.finished));
  AppendWinRateJson(line, "blue", WinRate::Of(summary.blueWins, summary.finished));
  if (summary.interrupted) line << ",\"interrupted\":true";
  if (summary.window) AppendWindowJson(line, *summary.window);
  if (summary.study) line << summary.study->Json();
  line << "}\n";
  return line.str();
}

std::string TextSummary(const RunSummary& summary) {
  std::ostringstream line;
  line << "Summary: " << summary.finished << " finished, " << summary.unfinished << " unfinished; red wins "
       << summary.redWins << ", blue wins " << summary.blueWins << "; ";
  AppendIdentityText(line, summary);
  if (summary.IsStudy()) {
    line << "; kills: ";
    AppendKillsText(line, summary.kills.byType);
  }
  if (summary.Timed()) {
    line << "; " << FixedDecimals(summary.simPerWall, 1)
         << " simulated seconds per wall second; step per frame: median " << FixedDecimals(summary.stepMedianUs, 1)
         << " us, 99th percentile " << FixedDecimals(summary.stepP99Us, 1) << " us, max "
         << FixedDecimals(summary.stepMaxUs, 1) << " us";
  }
  AppendWinRateText(line, "red", WinRate::Of(summary.redWins, summary.finished));
  AppendWinRateText(line, "blue", WinRate::Of(summary.blueWins, summary.finished));
  if (summary.interrupted) line << "; interrupted";
  if (summary.window) AppendWindowText(line, *summary.window);
  if (summary.study) line << summary.study->Text();
  line << "\n";
  return line.str();
}
}  // namespace

std::string RunSummary::Format(bool json) const { return json ? JsonSummary(*this) : TextSummary(*this); }

int RunSummary::ExitStatus() const {
  if (interrupted) return kInterruptedStatus;
  return unfinished == 0 ? 0 : 1;
}

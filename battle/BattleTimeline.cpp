// Sampling the battle's balance once per simulated second.
#include "battle/BattleTimeline.h"

#include <cmath>
#include <cstdio>

#include "battle/Battle.h"
#include "objects/UnitType.h"

void BattleTimeline::WriteRowsTo(std::ostream* csv) {
  rows = csv;
  if (rows != nullptr) *rows << kHeader;
}

// A battle ends inside a step, after which its field is empty and the next army still waits to be
// registered: that step closes the old battle with the counts from the step before, and the new
// battle's clock starts at the following step. The first battle starts before any step.
void BattleTimeline::AfterStep(const Battle& field, float dt) {
  if (field.BattlesStarted() != battle) {
    const bool first = battle == 0;
    latest.second = elapsed + dt;
    Finish();
    StartBattle(field.BattlesStarted());
    if (!first) return;
  }
  elapsed += dt;
  latest = Count(field, elapsed);
  while (static_cast<double>(samples.size()) <= elapsed) {
    TimelineSample sample = latest;
    sample.second = static_cast<double>(samples.size());
    samples.push_back(sample);
    WriteRow(sample);
  }
}

void BattleTimeline::Finish() {
  if (open && !samples.empty()) WriteRow(latest);
  open = false;
}

void BattleTimeline::StartBattle(int number) {
  battle = number;
  elapsed = 0.0;
  samples.clear();
  latest = TimelineSample{};
  open = true;
}

void BattleTimeline::KeepLaterSamples(const std::vector<TimelineSample>& further) {
  if (further.size() > samples.size()) samples = further;
}

void BattleTimeline::ForgetLaterSamples() {
  const auto reached = static_cast<std::size_t>(std::floor(elapsed)) + 1;
  if (samples.size() > reached) samples.resize(reached);
}

TimelineSample BattleTimeline::Count(const Battle& field, double second) {
  TimelineSample sample;
  sample.second = second;
  for (const GameObject* object : field.objects->Registered()) {
    if (object->unitType > UnitType::General || object->dying || object->removed) continue;
    if (object->team == Team::Red) {
      ++sample.redAlive;
    } else {
      ++sample.blueAlive;
    }
  }
  sample.duels = static_cast<int>(field.Duels().size());
  return sample;
}

void BattleTimeline::WriteRow(const TimelineSample& sample) const {
  if (rows == nullptr) return;
  char second[32];
  std::snprintf(second, sizeof second, "%.3f", sample.second);
  *rows << battle << "," << second << "," << sample.redAlive << "," << sample.blueAlive << "," << sample.duels << "\n";
}

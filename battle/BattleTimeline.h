// Units alive on each side and duels under way, once per simulated second of each battle: the
// window's balance chart and the headless runner's --timeline file.
#pragma once

#include <ostream>
#include <vector>

class Battle;

struct TimelineSample {
  double second = 0.0;
  int redAlive = 0;
  int blueAlive = 0;
  int duels = 0;
};

class BattleTimeline {
 public:
  static constexpr char kHeader[] = "battle,second,red_alive,blue_alive,duels\n";

  // Rows go to csv from now on, after the header; each battle ends with a row at its last step.
  void WriteRowsTo(std::ostream* csv);
  // Called after every simulation step of dt seconds.
  void AfterStep(const Battle& field, float dt);
  // Closes the running battle's rows, for a run that stops before the battle ends.
  void Finish();

  // Fighting units (not arrows nor blood) that are not dying, and the duels, right now.
  static TimelineSample Count(const Battle& field, double second);

  // The running battle's samples, one per whole simulated second from 0.
  const std::vector<TimelineSample>& Samples() const { return samples; }
  // The counts after the latest step.
  const TimelineSample& Latest() const { return latest; }
  int BattleNumber() const { return battle; }

  // A battle watched again from an earlier second had samples further on than its steps have
  // reached: they are the same battle's, and the chart keeps showing them.
  void KeepLaterSamples(const std::vector<TimelineSample>& further);
  // The samples beyond the latest step no longer tell what will come once the user changed it.
  void ForgetLaterSamples();

 private:
  void StartBattle(int number);
  void WriteRow(const TimelineSample& sample) const;

  std::ostream* rows = nullptr;
  std::vector<TimelineSample> samples;
  TimelineSample latest;
  double elapsed = 0.0;
  int battle = 0;
  bool open = false;
};

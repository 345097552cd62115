// What a jump through a seeded battle costs in the window, without drawing: 10 s back (played on
// from the latest copy of the battle before that second) against 10 s on (stepping), in paired
// rounds; and what one such copy costs in time and memory.
//   battlesim-scrub-bench [SCENARIO|-] [SEED] [BATTLE] [SECOND] [ROUNDS]
#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/run/BattleRecorder.h"
#include "app/setup/ScenarioFile.h"
#include "app/window/BattleScrubber.h"
#include "app/window/Game.h"
#include "app/window/SimulationPace.h"
#include "battle/Battle.h"
#include "battle/BattleTimeline.h"

namespace {
constexpr int kStepMs = 16;

struct Round {
  double backMs = 0.0;
  double onMs = 0.0;
  double backCpuMs = 0.0;
  double copyMs = 0.0;
  double copyMiB = 0.0;
};

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// This thread's processor time: what a jump costs where other programs share the cores.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

std::size_t AllocatedBytes() {
  const struct mallinfo2 now = mallinfo2();
  return now.uordblks + now.hblkhd;
}

// One more copy of the battle as it stands, as the window takes every few seconds.
void TimeACopy(const Battle& battle, Round& round) {
  const std::size_t bytesBefore = AllocatedBytes();
  const auto start = std::chrono::steady_clock::now();
  const std::unique_ptr<Battle> copy = battle.Copy();
  round.copyMs = MsSince(start);
  round.copyMiB = static_cast<double>(AllocatedBytes() - bytesBefore) / (1024.0 * 1024.0);
}

// The window's game on fixed steps, at the second of the battle asked for, its spare battlefield
// (a scripted battle's) ready as it is seconds after the battle began; then 10 s on and back to
// it, each timed.
Round OneRound(const Scenario& scenario, unsigned seed, int battle, double second) {
  SimulationPace pace(kStepMs, 1.0, 0);
  BattleRecorder recorder;
  BattleTimeline timeline;
  Game game(nullptr, nullptr, scenario, seed);
  game.pace = &pace;
  game.recorder = &recorder;
  game.timeline = &timeline;
  BattleScrubber scrubber(game, kStepMs);
  game.scrubber = &scrubber;
  game.StartBattle();
  for (int finished = 1; finished < battle; ++finished) scrubber.JumpTo(1.0e9);
  scrubber.JumpTo(second);
  scrubber.AwaitSpare();
  Round round;
  TimeACopy(*game.battle, round);
  auto start = std::chrono::steady_clock::now();
  scrubber.JumpBy(BattleScrubber::kJumpSeconds);
  round.onMs = MsSince(start);
  start = std::chrono::steady_clock::now();
  const double cpuStart = ThreadCpuMs();
  scrubber.JumpBy(-BattleScrubber::kJumpSeconds);
  round.backCpuMs = ThreadCpuMs() - cpuStart;
  round.backMs = MsSince(start);
  return round;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  Scenario scenario;
  std::string error;
  if (argc > 1 && std::string(argv[1]) != "-" && !ScenarioFile::Load(argv[1], scenario, error)) {
    std::fprintf(stderr, "battlesim-scrub-bench: %s\n", error.c_str());
    return 2;
  }
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1;
  const int battle = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  const double second = argc > 4 ? std::atof(argv[4]) : 60.0;
  const int rounds = argc > 5 ? std::max(1, std::atoi(argv[5])) : 5;
  std::vector<double> back;
  std::vector<double> on;
  std::vector<double> ratio;
  std::vector<double> cpu;
  std::vector<double> copyMs;
  std::vector<double> copyMiB;
  for (int index = 0; index < rounds; ++index) {
    const Round round = OneRound(scenario, seed, battle, second);
    std::printf(
        "round %d: 10 s on %.1f ms, 10 s back %.1f ms (%.1f ms of processor time), a copy %.1f ms, "
        "%.2f MiB\n",
        index + 1, round.onMs, round.backMs, round.backCpuMs, round.copyMs, round.copyMiB);
    back.push_back(round.backMs);
    on.push_back(round.onMs);
    ratio.push_back(round.backMs / round.onMs);
    cpu.push_back(round.backCpuMs);
    copyMs.push_back(round.copyMs);
    copyMiB.push_back(round.copyMiB);
  }
  std::printf("median: on %.1f ms (%.1f to %.1f), back %.1f ms (%.1f to %.1f), back/on %.2f (%.2f to %.2f)\n",
              Median(on), *std::min_element(on.begin(), on.end()), *std::max_element(on.begin(), on.end()),
              Median(back), *std::min_element(back.begin(), back.end()), *std::max_element(back.begin(), back.end()),
              Median(ratio), *std::min_element(ratio.begin(), ratio.end()),
              *std::max_element(ratio.begin(), ratio.end()));
  std::printf("median processor time of a jump back: %.1f ms (%.1f to %.1f)\n", Median(cpu),
              *std::min_element(cpu.begin(), cpu.end()), *std::max_element(cpu.begin(), cpu.end()));
  std::printf("median copy of the battle: %.1f ms (%.1f to %.1f), %.2f MiB\n", Median(copyMs),
              *std::min_element(copyMs.begin(), copyMs.end()), *std::max_element(copyMs.begin(), copyMs.end()),
              Median(copyMiB));
  return 0;
}

// One battle played a decision at a time: it runs on a thread of its own until a squad of a side
// that the caller leads reports ready, then waits for the caller's order while the caller reads
// the observation. Only one of the two threads runs at any moment, so the battle is the same for
// the same seed and the same orders, step for step.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/python/BattleObservation.h"
#include "battle/BattleEndWatcher.h"
#include "battle/Scenario.h"
#include "units/Commander.h"

class Battle;

class DecisionSession : private BattleEndWatcher {
 public:
  enum class Phase { Running, Deciding, Won, Lost, OutOfTime };

  // Tallies a reward can be shaped from, as they stand at the decision or as the battle ended.
  struct Tallies {
    double seconds = 0.0;
    long long frames = 0;
    int redAlive = 0;
    int blueAlive = 0;
    int casualties = 0;
    std::array<int, 5> kills{};
    std::uint64_t fingerprint = 0;
  };

  // The battle of scenario from seed, the caller leading the sides marked in led (by team code);
  // Won and Lost are told from the side of team. The battle starts on the first Wait.
  DecisionSession(Scenario scenario, unsigned seed, int frameMs, double maxSeconds, std::array<bool, 2> led, int team);
  ~DecisionSession() override;
  DecisionSession(const DecisionSession&) = delete;
  DecisionSession& operator=(const DecisionSession&) = delete;

  // Hands the waiting squad its order; the battle then runs on.
  void Answer(const SquadOrder& order);
  // Waits at most timeoutMs for the next decision or the end; returns the phase then.
  Phase Wait(int timeoutMs);
  // Whether a goal lies on the battle's ground.
  bool OnTerrain(double x, double z) const;
  // While deciding: the battle as it stands, as a battle file that Restore plays on from; false,
  // with a one-line reason, for a battle whose opponent keeps a state of its own.
  bool Save(std::string& bytes, std::string& error) const;
  // Before the first Wait: the battle is the one bytes hold (from Save) instead of the seed's; false,
  // with a one-line reason, for bytes that are no intact save of a battle of this frame length.
  bool Restore(std::string_view bytes, std::string& error);

  // Read while the phase is not Running.
  const BattleObservation& Observation() const { return observation; }
  const Tallies& Taken() const { return tallies; }

 private:
  class LedSide;
  class LedSideSource;

  void Play(const std::stop_token& stop);
  void BattleEnding(const Battle& ended) override;
  SquadOrder Ask(const GameObject& leader);
  void Take(const Battle& battle, const GameObject* asking);
  void Finish(Phase ending);
  std::unique_ptr<Battle> Field();
  // Keeps the battle as it stands before its first step: a decision is saved as this and the
  // answers given since, which is far cheaper than keeping the battle at every step.
  void KeepEpisodeStart(const Battle& field);

  Scenario setup;
  unsigned seed;
  int frameMs;
  double maxSeconds;
  int team;
  std::array<bool, 2> led;
  BattleObservation observation;
  Tallies tallies;
  // The running battle, while it runs.
  Battle* battle = nullptr;
  std::uint32_t elapsedMs = 0;
  // The battle before the episode's first step, its clock then, and the answers given since.
  std::string episodeStart;
  std::string episodeStartError;
  long long startFrames = 0;
  std::uint32_t startMs = 0;
  std::vector<SquadOrder> answers;
  // A restored battle, and the answers its first step gives again before asking the caller.
  std::unique_ptr<Battle> restored;
  std::vector<SquadOrder> replay;

  mutable std::mutex mutex;
  std::condition_variable changed;
  Phase phase = Phase::Running;
  bool started = false;
  bool answered = false;
  bool stopping = false;
  SquadOrder answer;
  // Last: joined before anything it uses goes.
  std::jthread thread;
};

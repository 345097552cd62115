// A battle paused at every decision of the sides a caller leads.
#include "app/python/DecisionSession.h"

#include <chrono>
#include <cmath>

#include "app/run/QuietDebugChannel.h"
#include "app/setup/UnitCount.h"
#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "battle/BattleTimeline.h"
#include "battle/CommanderSource.h"
#include "objects/GameObject.h"
#include "terrain/TerrainBounds.h"

// The caller's side: every order comes from the caller; the General fights as the built-in one does.
class DecisionSession::LedSide : public Commander {
 public:
  explicit LedSide(DecisionSession& owner) : session(owner) {}
  SquadOrder OnSquadReady(const GameObject& /*general*/, const GameObject& leader) override {
    return session.Ask(leader);
  }
  bool DecidesWhenToFight() const override { return false; }
  bool GeneralFights(const GameObject& /*general*/, bool& fights) override {
    fights = false;
    return true;
  }
  bool Failed() const override { return false; }
  const std::string& Failure() const override { return none; }
  const std::string& LastDecision() const override { return lastDecision; }

 private:
  DecisionSession& session;
  std::string none;
  std::string lastDecision = "the caller's";
};

class DecisionSession::LedSideSource : public CommanderSource {
 public:
  explicit LedSideSource(DecisionSession& owner) : session(owner) {}
  std::unique_ptr<Commander> ForBattle(Battle& /*battle*/, int /*team*/) const override {
    return std::make_unique<LedSide>(session);
  }

 private:
  DecisionSession& session;
};

DecisionSession::DecisionSession(Scenario scenario, unsigned battleSeed, int frameLength, double secondsAllowed,
                                 std::array<bool, 2> led, int ownTeam)
    : setup(std::move(scenario)),
      seed(battleSeed),
      frameMs(frameLength),
      maxSeconds(secondsAllowed),
      team(ownTeam),
      observation(static_cast<std::size_t>(UnitCount::Of(setup))) {
  const auto source = std::make_shared<LedSideSource>(*this);
  for (std::size_t side = 0; side < led.size(); ++side) {
    if (led[side]) setup.armies[side].commander = source;
  }
}

DecisionSession::~DecisionSession() {
  {
    const std::lock_guard lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  if (thread.joinable()) {
    thread.request_stop();
    thread.join();
  }
}

void DecisionSession::Answer(const SquadOrder& order) {
  {
    const std::lock_guard lock(mutex);
    if (phase != Phase::Deciding) return;
    answer = order;
    answered = true;
    phase = Phase::Running;
  }
  changed.notify_all();
}

DecisionSession::Phase DecisionSession::Wait(int timeoutMs) {
  std::unique_lock lock(mutex);
  if (!started) {
    started = true;
    thread = std::jthread([this](const std::stop_token& stop) { Play(stop); });
  }
  changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return phase != Phase::Running; });
  return phase;
}

bool DecisionSession::OnTerrain(double x, double z) const {
  const std::lock_guard lock(mutex);
  return battle == nullptr || TerrainBounds(battle->terrain).Holds(x, z);
}

void DecisionSession::Play(const std::stop_token& stop) {
  const QuietDebugChannel quiet;
  Battle field(setup, seed);
  field.paintFootsteps = false;
  field.WatchEnds(this);
  {
    const std::lock_guard lock(mutex);
    battle = &field;
  }
  field.StartBattle();
  const int startedBattles = field.BattlesStarted();
  const auto framesAllowed = static_cast<long long>(std::ceil(maxSeconds * 1000.0 / frameMs));
  std::uint32_t elapsedMs = 0;
  Phase ending = Phase::OutOfTime;
  while (!stop.stop_requested() && tallies.frames < framesAllowed) {
    elapsedMs += static_cast<std::uint32_t>(frameMs);
    field.timer.TickTo(elapsedMs);
    // Counted before the step: a decision taken inside it is at the step's time, as the battle's clock says.
    ++tallies.frames;
    field.RunSimulationStep();
    if (field.BattlesStarted() != startedBattles) {
      const bool redWon = field.RedWins() > 0;
      ending = redWon == (team == Team::Red) ? Phase::Won : Phase::Lost;
      break;
    }
  }
  // An ended battle was taken as it ended (BattleEnding): its field has been cleared for the next.
  if (ending == Phase::OutOfTime) Take(field, nullptr);
  field.WatchEnds(nullptr);
  Finish(ending);
  const std::lock_guard lock(mutex);
  battle = nullptr;
}

void DecisionSession::BattleEnding(const Battle& ended) { Take(ended, nullptr); }

void DecisionSession::Take(const Battle& field, const GameObject* asking) {
  observation.Take(field, asking);
  const TimelineSample counts = BattleTimeline::Count(field, 0.0);
  tallies.seconds = static_cast<double>(tallies.frames) * frameMs / 1000.0;
  tallies.redAlive = counts.redAlive;
  tallies.blueAlive = counts.blueAlive;
  tallies.casualties = field.Casualties();
  for (std::size_t type = 0; type < tallies.kills.size(); ++type) tallies.kills[type] = field.KillsByType()[type];
  tallies.fingerprint = BattleFingerprint::Of(field);
}

SquadOrder DecisionSession::Ask(const GameObject& leader) {
  Take(*battle, &leader);
  std::unique_lock lock(mutex);
  if (stopping) return {};
  phase = Phase::Deciding;
  answered = false;
  changed.notify_all();
  changed.wait(lock, [this] { return answered || stopping; });
  return stopping ? SquadOrder{} : answer;
}

void DecisionSession::Finish(Phase ending) {
  {
    const std::lock_guard lock(mutex);
    phase = ending;
  }
  changed.notify_all();
}

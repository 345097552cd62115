// A battle paused at every decision of the sides a caller leads.
#include "app/python/DecisionSession.h"

#include <bit>
#include <chrono>
#include <cmath>
#include <sstream>

#include "app/run/QuietDebugChannel.h"
#include "app/setup/UnitCount.h"
#include "battle/Battle.h"
#include "battle/BattleFile.h"
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
  bool KeepsNoState() const override { return true; }

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

namespace {
// Beside a saved decision: where the clock stood when its episode started and the answers given
// since, which a restored battle gives again.
struct SavedDecision {
  long long frames = 0;
  std::uint32_t elapsedMs = 0;
  int frameMs = 0;
  std::vector<SquadOrder> answers;
};

// More answers than an episode of the longest battle could ask for say the text was not ours.
constexpr std::size_t kMostAnswers = 1u << 24;

std::string SettingsText(const SavedDecision& saved) {
  std::ostringstream text;
  text << "decision_frames " << saved.frames << " elapsed_ms " << saved.elapsedMs << " frame_ms " << saved.frameMs
       << " answers " << saved.answers.size();
  for (const SquadOrder& order : saved.answers) {
    text << ' ' << static_cast<int>(order.kind) << ' ' << std::bit_cast<std::uint32_t>(order.x) << ' '
         << std::bit_cast<std::uint32_t>(order.z) << ' ' << order.formation;
  }
  return text.str();
}

bool ReadOrder(std::istream& in, SquadOrder& order) {
  int kind = 0;
  std::uint32_t x = 0;
  std::uint32_t z = 0;
  if (!(in >> kind >> x >> z >> order.formation) || kind < 0 || kind > 2 || order.formation < 0 ||
      order.formation > 3) {
    return false;
  }
  order.kind = static_cast<SquadOrder::Kind>(kind);
  order.x = std::bit_cast<float>(x);
  order.z = std::bit_cast<float>(z);
  return true;
}

bool ReadSettings(const std::string& text, SavedDecision& saved) {
  std::istringstream in(text);
  std::string frames, elapsed, frameLength, answers;
  std::size_t count = 0;
  if (!(in >> frames >> saved.frames >> elapsed >> saved.elapsedMs >> frameLength >> saved.frameMs >> answers >>
        count) ||
      frames != "decision_frames" || elapsed != "elapsed_ms" || frameLength != "frame_ms" || answers != "answers" ||
      saved.frames < 0 || count > kMostAnswers) {
    return false;
  }
  saved.answers.resize(count);
  for (SquadOrder& order : saved.answers) {
    if (!ReadOrder(in, order)) return false;
  }
  in >> std::ws;
  return in.eof();
}
}  // namespace

DecisionSession::DecisionSession(Scenario scenario, unsigned battleSeed, int frameLength, double secondsAllowed,
                                 std::array<bool, 2> ledSides, int ownTeam)
    : setup(std::move(scenario)),
      seed(battleSeed),
      frameMs(frameLength),
      maxSeconds(secondsAllowed),
      team(ownTeam),
      led(ledSides),
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

bool DecisionSession::Save(std::string& bytes, std::string& error) const {
  {
    const std::lock_guard lock(mutex);
    if (phase != Phase::Deciding) {
      error = "the battle can be saved only while it waits for an order";
      return false;
    }
  }
  if (episodeStart.empty()) {
    error = episodeStartError;
    return false;
  }
  const QuietDebugChannel quiet;
  std::string ignored;
  const std::unique_ptr<Battle> before = BattleFile::Read(episodeStart, ignored, error);
  if (before == nullptr) return false;
  const SavedDecision saved{startFrames, startMs, frameMs, answers};
  return BattleFile::Write(*before, SettingsText(saved), bytes, error);
}

bool DecisionSession::Restore(std::string_view bytes, std::string& error) {
  // A saved battle holds nothing of a script's or a program's General: it would play on without one.
  for (std::size_t side = 0; side < led.size(); ++side) {
    if (!led[side] && (setup.armies[side].commander != nullptr || !setup.armies[side].general.empty())) {
      error = "a battle against a Lua or Python General cannot be restored: its own state is in no battle file";
      return false;
    }
  }
  const QuietDebugChannel quiet;
  std::string settings;
  std::unique_ptr<Battle> field = BattleFile::Read(bytes, settings, error);
  if (field == nullptr) return false;
  SavedDecision saved;
  if (!ReadSettings(settings, saved)) {
    error = "a battle file that no environment saved (save one with save_state())";
    return false;
  }
  if (saved.frameMs != frameMs || UnitCount::Of(field->scenario) != UnitCount::Of(setup)) {
    error = "a battle saved with frame_ms " + std::to_string(saved.frameMs) + " and " +
            std::to_string(UnitCount::Of(field->scenario)) + " units; this environment plays frame_ms " +
            std::to_string(frameMs) + " and " + std::to_string(UnitCount::Of(setup));
    return false;
  }
  if (!BattleFile::Write(*field, "", episodeStart, error)) return false;
  restored = std::move(field);
  replay = std::move(saved.answers);
  tallies.frames = startFrames = saved.frames;
  elapsedMs = startMs = saved.elapsedMs;
  return true;
}

std::unique_ptr<Battle> DecisionSession::Field() {
  if (restored == nullptr) return std::make_unique<Battle>(setup, seed);
  for (std::size_t side = 0; side < led.size(); ++side) {
    if (led[side]) restored->LeadAgain(side, std::make_unique<LedSide>(*this));
  }
  return std::move(restored);
}

void DecisionSession::KeepEpisodeStart(const Battle& field) {
  answers.clear();
  startFrames = tallies.frames;
  startMs = elapsedMs;
  if (!BattleFile::Write(field, "", episodeStart, episodeStartError)) episodeStart.clear();
}

void DecisionSession::Play(const std::stop_token& stop) {
  const QuietDebugChannel quiet;
  const bool fresh = restored == nullptr;
  const std::unique_ptr<Battle> owned = Field();
  Battle& field = *owned;
  field.paintFootsteps = false;
  field.WatchEnds(this);
  {
    const std::lock_guard lock(mutex);
    battle = &field;
  }
  if (fresh) {
    field.StartBattle();
    KeepEpisodeStart(field);
  }
  const int startedBattles = field.BattlesStarted();
  const auto framesAllowed = static_cast<long long>(std::ceil(maxSeconds * 1000.0 / frameMs));
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
  if (!replay.empty()) {
    answers.push_back(replay.front());
    replay.erase(replay.begin());
    return answers.back();
  }
  Take(*battle, &leader);
  std::unique_lock lock(mutex);
  if (stopping) return {};
  phase = Phase::Deciding;
  answered = false;
  changed.notify_all();
  changed.wait(lock, [this] { return answered || stopping; });
  const SquadOrder given = stopping ? SquadOrder{} : answer;
  answers.push_back(given);
  return given;
}

void DecisionSession::Finish(Phase ending) {
  {
    const std::lock_guard lock(mutex);
    phase = ending;
  }
  changed.notify_all();
}

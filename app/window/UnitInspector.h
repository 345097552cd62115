// The window's unit inspector: the unit the user clicked, its mind as panel lines (identity,
// machine stack, duel, latest trace lines), and the camera following it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "statemachine/TraceWatcher.h"

class Battle;
class Game;
class GameObject;
struct CameraView;
class TraceLog;

class UnitInspector : public TraceWatcher {
 public:
  static constexpr std::size_t kRecentRecords = 10;

  UnitInspector() = default;
  ~UnitInspector() override;
  UnitInspector(const UnitInspector&) = delete;
  UnitInspector& operator=(const UnitInspector&) = delete;

  // x from the left and y from the top of the window; an empty spot clears the selection.
  void PickAt(Game& game, int x, int y);
  void Select(Battle& battle, const GameObject& unit);
  // Forgets the unit, stops its trace and the following.
  void Clear(const std::string& why);
  // Once per frame: notices the unit's death or a new battle, saying so on the panel until the
  // next pick or the next battle, and moves the followed camera, when there is one.
  void AfterFrame(const Battle& battle, CameraView* camera);
  void ToggleFollowing() { following = !following; }
  // The battle is about to be replaced by the same battle at another moment, and its trace log
  // with it; the selection stays.
  void LetGoOfBattle();
  // In the battle that replaced the old one, the selected unit stays selected while it stands
  // there alive, and is cleared as at its death otherwise.
  void FindAgain(Battle& battle);

  // The "Selected" category's lines.
  std::vector<std::string> Lines(const Battle& battle) const;
  static std::vector<std::string> MindLines(const GameObject& unit);

  bool Watches(const std::string& ownerName) const override;
  void Take(const TraceRecord& record) override;

  // The selected unit in the game, or null.
  GameObject* Selected(const Battle& battle) const;
  const std::string& SelectedName() const { return selectedName; }
  bool Following() const { return following; }

 private:
  std::string selectedName;
  int selectedBattle = 0;
  bool following = false;
  std::deque<std::string> recent;
  std::string notice;
  int noticeBattle = -1;
  // The trace log this inspector watches while a unit is selected.
  TraceLog* watchedLog = nullptr;
};

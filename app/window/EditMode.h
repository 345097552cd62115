// The window's editor of a battle's layout (battlesim --edit FILE, or e in a running window): a
// left click on the ground places a squad of the half it falls in, facing the enemy, or picks a
// placed squad up, and the next click puts the picked squad down there (a left drag from a placed
// squad moves it where it is released; from the ground it turns the camera); 1, 2, 3 choose the type,
// n and m the followers, v the formation, x removes the picked squad, g places a General, Ctrl+Z
// undoes, Ctrl+S saves to the file, Enter starts the battle and e comes back to the layout. What
// cannot be placed is refused with the reason on the panel. The field shows the layout as the
// battle's first step would: a battle built from it and held still.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/window/InputMode.h"
#include "battle/Scenario.h"

class Game;

class EditMode : public InputMode {
 public:
  static constexpr unsigned char kEditKey = 'e';
  static constexpr unsigned char kUndoKey = 26;   // Ctrl+Z
  static constexpr unsigned char kSaveKey = 19;   // Ctrl+S
  static constexpr unsigned char kStartKey = 13;  // Enter
  // Squads closer than this across (or half of it along the field) overlap.
  static constexpr float kSquadWidth = 11.0f;
  static constexpr float kSquadDepth = 8.0f;
  // A click this near a placed squad's leader picks the squad up.
  static constexpr float kPickReach = 4.0f;

  // file is where Ctrl+S saves (empty: nowhere); setup the scenario the battle was made from.
  EditMode(Game& game, std::string file, const Scenario& setup, unsigned seed);

  // Stops the battle and shows the layout as placed.
  void Open();
  bool Editing() const { return editing; }

  bool OnKey(unsigned char key) override;
  bool OnLeftClick(int x, int y) override;
  bool OnRightClick(int /*x*/, int /*y*/) override { return false; }
  // Takes the drag when the press lands on a placed squad.
  bool OnLeftPress(int x, int y) override;
  void OnLeftDrop(int x, int y) override;
  void PostLines() override;

  // The scenario of the layout as placed, as a battle or the file is made from it.
  Scenario Layout() const;
  const std::string& Notice() const { return notice; }
  // Places, picks or moves as a click on the ground at (x, z) would.
  void ClickGround(float x, float z);
  // Takes the squad at (x, z), if any, to move where DropAt puts it; false when none stands there.
  bool GrabAt(float x, float z);
  // Moves the grabbed squad to (x, z), refused as a move by clicks would be.
  void DropAt(float x, float z);

 private:
  using Armies = std::array<ArmySetup, 2>;

  bool OnEditingKey(unsigned char key);
  void Start();
  void Show();
  void Save();
  void Undo();
  void Remember();
  // The battles from the one starting now are not the file's (or the seed's) own: a --report says so.
  void NoteNewBattlefield();
  void PlaceSquad(float x, float z);
  void MoveSquad(float x, float z);
  void PlaceGeneral(float x, float z);
  void RemovePicked();
  // Why a squad of team cannot stand at (x, z), the squad (team, ignored) aside; empty when it can.
  std::string Refusal(int team, float x, float z, int ignored) const;
  bool PickAt(float x, float z);
  // The placed squad within reach of (x, z) as (team, index); false when there is none.
  bool SquadAt(float x, float z, int& team, int& index) const;
  // The ground under the window's pixel (x, y), rounded to whole places; false off the field.
  bool GroundAt(int x, int y, float& groundX, float& groundZ) const;
  static int TeamAt(float z);

  Game& game;
  std::string file;
  Scenario base;
  Armies armies;
  std::vector<Armies> undo;
  unsigned seed;
  bool editing = false;
  // Whether the layout differs from the file's as last read or saved.
  bool changed = false;
  int type = 0;
  int followers = ArmySetup::kMostFollowers;
  int formation = 0;
  bool placingGeneral = false;
  int pickedTeam = -1;
  int pickedIndex = -1;
  int grabbedTeam = -1;
  int grabbedIndex = -1;
  std::string notice;
};

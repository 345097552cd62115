// The window leading one side by hand (battlesim --lead): a left click on a unit of the side
// selects its squad (rings mark the leader and each follower), a right click on the ground sends the squad
// there, v chooses the formation it marches in, g sends the General to fight. Each order waits
// in the side's book for the General's next step, which carries it out.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/window/InputMode.h"

class Game;
class GameObject;
class LedSide;
class OrderBook;

class LeadMode : public InputMode {
 public:
  static constexpr unsigned char kFormationKey = 'v';
  static constexpr unsigned char kFightKey = 'g';

  LeadMode(Game& game, std::shared_ptr<OrderBook> book, int team);

  bool OnKey(unsigned char key) override;
  // The inspector picks the unit whose squad is selected.
  bool OnLeftClick(int /*x*/, int /*y*/) override { return false; }
  bool OnRightClick(int x, int y) override;
  void PostLines() override;
  // The selected squad's leader and its living followers.
  std::vector<const GameObject*> Ringed() const override;

  // The leader of the selected unit's squad when it is one of the led side's; else null.
  const GameObject* SelectedSquad() const;
  // What the panel says of the last order given or refused.
  const std::string& Notice() const { return notice; }

 private:
  LedSide* Side() const;
  bool SendTo(int x, int y);
  void CycleFormation();
  void PostSquadLines(const GameObject& leader);
  std::string EnemyGeneralLine() const;

  Game& game;
  std::shared_ptr<OrderBook> book;
  int team;
  // The formation each squad marches in at its next order, by leader; keep when not chosen.
  std::map<std::string, int> formations;
  std::string notice;
};

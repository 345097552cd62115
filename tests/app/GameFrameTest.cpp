// Tests of the game's construction, its frame step and its statistics lines, with and without a
// window.
#include "app/window/Game.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/run/BattleRecorder.h"
#include "app/window/Input.h"
#include "app/window/SimulationPace.h"
#include "app/window/UnitInspector.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "platform/TickCounter.h"
#include "render/BillboardRenderer.h"
#include "render/Graphics.h"
#include "render/TextureManager.h"
#include "tests/support/GlWindow.h"
#include "units/SquadLeaderSM.h"

namespace {

using Lines = std::vector<std::string>;

class WindowedGame : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlWindow::EnsureCurrent());
    TickCounter::UseManual(1000);
    graphics = std::make_unique<Graphics>();
    game = std::make_unique<Game>(graphics.get(), &input);
  }
  void TearDown() override { TickCounter::UseClock(); }

  const Lines* LinesOf(const std::string& category) const {
    for (const HudCategory& entry : graphics->Hud().Categories()) {
      if (entry.name == category) return &entry.lines;
    }
    return nullptr;
  }

  Input input;
  std::unique_ptr<Graphics> graphics;
  std::unique_ptr<Game> game;
};

class HeadlessGame : public testing::Test {
 protected:
  Game game{nullptr, nullptr};
};

std::unique_ptr<GameObject> Soldier(const std::string& name, Battle* battle = nullptr) {
  auto object = std::make_unique<GameObject>(name, 0, 0, 2.0f, battle);
  object->SetSprite(std::make_unique<Sprite>(object.get(), Vector3(), 0.0f));
  return object;
}

using Picture = std::vector<unsigned char>;

// Every frame of the first seconds of a seeded battle on the static terrain, as shown.
std::vector<Picture> SeededFrames(bool stepBesideTerrain) {
  TickCounter::UseManual(1000);
  Input input;
  Graphics graphics;
  Game game(&graphics, &input, Scenario{}, 11);
  game.dynamicTerrain = false;
  game.stepBesideTerrain = stepBesideTerrain;
  EXPECT_EQ(game.CanStepBesideTerrain(), stepBesideTerrain);
  game.StartBattle();
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  std::vector<Picture> frames;
  for (int frame = 0; frame < 100; ++frame) {
    TickCounter::Advance(100);
    game.Frame();
    Picture shown(static_cast<std::size_t>(viewport[2]) * static_cast<std::size_t>(viewport[3]) * 4);
    glReadPixels(0, 0, viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE, shown.data());
    frames.push_back(std::move(shown));
  }
  TickCounter::UseClock();
  return frames;
}

}  // namespace

// The panel's lines, timings included, are part of the picture.
TEST(GameFrame, StepBesideTheStaticTerrainShowsEveryFrameAsSteppingFirstDoes) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const std::vector<Picture> first = SeededFrames(false);
  const std::vector<Picture> beside = SeededFrames(true);
  ASSERT_EQ(first.size(), beside.size());
  int differing = 0;
  for (std::size_t frame = 0; frame < first.size(); ++frame) differing += first[frame] != beside[frame] ? 1 : 0;
  EXPECT_EQ(differing, 0);
  EXPECT_NE(first.front(), first.back()) << "the battle should move in these frames";
}

TEST_F(WindowedGame, TheStepRunsBesideOnlyTheStaticTerrainWithNobodyInspectedAndEveryImageLoaded) {
  EXPECT_FALSE(game->CanStepBesideTerrain());
  game->dynamicTerrain = false;
  EXPECT_TRUE(game->CanStepBesideTerrain());

  auto soldier = Soldier("Soldier 0");
  game->inspector->Select(*game->battle, *soldier);
  EXPECT_FALSE(game->CanStepBesideTerrain());
  game->inspector->Clear("");

  game->textures = std::make_unique<TextureManager>();
  EXPECT_FALSE(game->CanStepBesideTerrain());
}

TEST_F(WindowedGame, WhatTheStepBesideTheTerrainThrowsReachesTheFrame) {
  const Graphics::StepBesideTerrain failing{[] { throw std::runtime_error("step"); }, [] {}};
  EXPECT_THROW(game->Render(&failing), std::runtime_error);
  game->Render();
}

TEST_F(WindowedGame, ConstructionSetsUpLightTerrainListAndSwitches) {
  EXPECT_EQ(game->scene.ambient, (Rgba{0.4f, 0.4f, 0.4f, 1.0f}));
  ASSERT_EQ(game->scene.lights.size(), 1u);
  EXPECT_NEAR(game->scene.lights[0].direction.y, 0.948683f, 1e-6);
  EXPECT_EQ(game->scene.lights[0].colour, (Rgba{0.6f, 0.5f, 0.5f, 1.0f}));
  ASSERT_EQ(graphics->DisplayLists().size(), 1u);
  EXPECT_EQ(glIsList(graphics->DisplayLists()[0].listName), GL_TRUE);
  EXPECT_GT(game->battle->terrain.width, 0);
  EXPECT_NE(game->textures, nullptr);
  EXPECT_NE(game->battle->pathFinder, nullptr);
  EXPECT_TRUE(game->dynamicTerrain);
  EXPECT_FALSE(game->battle->traceLog->enabled);
  EXPECT_FALSE(game->paused);
}

TEST_F(WindowedGame, EveryUnitTypeIsDrawnWithTheGamesTextureOfItsImage) {
  const BillboardRenderer::TypeTextures byType = BillboardRenderer::TexturesFrom(game->textures.get());
  for (int type = 0; type < UnitType::kCount; ++type) {
    EXPECT_NE(byType[type], 0u);
    EXPECT_EQ(byType[type], game->textures->GetTexture(UnitFactory::Info(type).textureFile));
  }
  auto first = Soldier("Soldier 0");
  auto second = Soldier("Soldier 1");
  EXPECT_EQ(BillboardRenderer::TextureOf(*first->GetSprite(), byType), byType[UnitType::Soldier]);
  EXPECT_EQ(BillboardRenderer::TextureOf(*second->GetSprite(), byType), byType[UnitType::Soldier]);
}

TEST_F(WindowedGame, PostStatisticsPostsTheTalliesAndTheKeyList) {
  // Red wins two battles; the third has seven dead, one felled by a General and six by what no
  // kill line names.
  game->battle->EndBattle(Team::Blue);
  game->battle->EndBattle(Team::Blue);
  game->battle->CountKill(UnitType::General);
  for (int death = 0; death < 6; ++death) game->battle->CountKill(UnitType::Arrow);
  game->PostStatistics();
  const auto& categories = graphics->Hud().Categories();
  ASSERT_EQ(categories.size(), 6u);
  EXPECT_EQ(categories[0].name, "Wins");
  EXPECT_EQ(categories[0].lines, (Lines{"Red Wins: 2", "Blue Wins: 0"}));
  EXPECT_EQ(categories[1].name, "StateMachine");
  // The two battles started since were raised at once, and their machines changed state four times.
  EXPECT_EQ(categories[1].lines, (Lines{"State Changes: 4"}));
  EXPECT_EQ(categories[2].name, "Battle");
  EXPECT_EQ(categories[2].lines, (Lines{"Casualties This Battle: 7", "Archer Kills: 0", "Soldier Kills: 0",
                                        "Berserker Kills: 0", "Leader Kills: 0", "General Kills: 1"}));
  EXPECT_EQ(categories[3].name, "CONTROLS");
  EXPECT_EQ(categories[3].lines, (Lines{"P - Pause", "D - Toggle Dynamic Terrain ", "B - Toggle Blood",
                                        "R - Reset Battle", "Q - Quit Program", "W/S - Zoom"}));
}

// After every specified category, so that none of their rows moves.
TEST_F(WindowedGame, PostStatisticsEndsWithTheSwitchesAndTheSelection) {
  game->paused = true;
  game->dynamicTerrain = false;
  game->PostStatistics();
  const auto& categories = graphics->Hud().Categories();
  ASSERT_EQ(categories.size(), 6u);
  EXPECT_EQ(categories[4].name, "Switches");
  EXPECT_EQ(categories[4].lines, (Lines{"Paused: yes (P)", "Blood: on (B)", "Dynamic Terrain: off (D)",
                                        "Mouse: left drag turns, right drag pans, wheel zooms",
                                        "Click: inspect a unit, F follows it", "Esc - Quit Program"}));
  EXPECT_EQ(categories[5].name, "Selected");
  EXPECT_EQ(categories[5].lines, (Lines{"None: left click a unit"}));
}

// Without fixed steps a battle cannot be played again to a second: the jump keys say what they need.
TEST_F(WindowedGame, JumpKeysWithoutFixedStepsSayTheyNeedASeed) {
  input.OnKey('[', 0, 0);
  input.OnSpecialKey(Input::kHomeKey, 0, 0);
  game->PostStatistics();
  const Lines* switches = LinesOf("Switches");
  ASSERT_NE(switches, nullptr);
  EXPECT_EQ(switches->at(3), "Jump ([ ] Home): needs --seed");
}

// The clock's seed is shown though it brings the battles back only with fixed steps; the speed
// shows once, with its keys; each side's General is named.
TEST_F(WindowedGame, PlaybackShowsTheClocksSeedTheBattleAndTheGeneralsAndSwitchesTheSpeed) {
  SimulationPace pace(0, 2.0, 0);
  BattleRecorder recorder;
  game->pace = &pace;
  game->recorder = &recorder;
  game->seed = 1733;
  game->PostStatistics();
  const auto& categories = graphics->Hud().Categories();
  ASSERT_EQ(categories.size(), 7u);
  EXPECT_EQ(categories[4].name, "Playback");
  EXPECT_EQ(categories[4].lines,
            (Lines{"Seed: 1733 (clock)", "Battle: 1", "Red General: built-in", "Blue General: built-in"}));
  EXPECT_EQ(categories[5].lines.at(3), "Speed: 2x (+/-)");
}

// Everything posted before the render is drawn and emptied with it; the render time is the first
// line of the next frame.
TEST_F(WindowedGame, FrameLeavesOnlyTheRenderTimeForTheNextFrame) {
  game->Frame();
  ASSERT_EQ(graphics->Hud().Categories().size(), 1u);
  EXPECT_EQ(graphics->Hud().Categories()[0].name, "Timing");
  EXPECT_EQ(graphics->Hud().Categories()[0].lines, (Lines{"Render Update:0ms"}));
}

TEST_F(WindowedGame, PausedFrameKeepsObjectsWaitingButTicksTheClock) {
  game->battle->objects->Add(Soldier("Soldier 0"));
  game->paused = true;
  TickCounter::Advance(50);
  game->Frame();
  EXPECT_EQ(game->battle->objects->PendingCount(), 1u);
  EXPECT_FLOAT_EQ(game->battle->timer.delta, 0.05f);

  game->paused = false;
  game->Frame();
  EXPECT_EQ(game->battle->objects->PendingCount(), 0u);
  EXPECT_EQ(game->battle->objects->RegisteredCount(), 1u);
}

TEST_F(HeadlessGame, HasNoTexturesSoNoBillboardWouldBeDrawn) {
  EXPECT_EQ(game.textures, nullptr);
  auto soldier = Soldier("Soldier 0");
  EXPECT_EQ(BillboardRenderer::TextureOf(*soldier->GetSprite(), BillboardRenderer::TexturesFrom(nullptr)), 0u);
}

TEST_F(HeadlessGame, FrameRunsTheSimulationWithoutDrawing) {
  game.battle->objects->Add(Soldier("Soldier 0"));
  game.PostStatistics();
  game.Frame();
  EXPECT_EQ(game.battle->objects->RegisteredCount(), 1u);
  EXPECT_GT(game.battle->terrain.width, 0);
}

// A frame after a stall moves the world as if only a fifth of a second had passed.
TEST(GameFrame, LongFrameAdvancesTheWorldByAtMostAFifthOfASecond) {
  TickCounter::UseManual(1000);
  {
    Game game(nullptr, nullptr);
    auto soldier = Soldier("Soldier 0", game.battle.get());
    Sprite* walker = soldier->GetSprite();
    walker->followTerrain = false;
    walker->SetTarget(Vector3(10.0f, 0.0f, 0.0f), false);
    game.battle->objects->Add(std::move(soldier));
    TickCounter::Advance(250);
    game.Frame();
    EXPECT_FLOAT_EQ(game.battle->timer.delta, 0.25f);
    EXPECT_FLOAT_EQ(walker->position.x, 0.6f);
  }
  TickCounter::UseClock();
}

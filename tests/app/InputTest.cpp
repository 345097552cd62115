// Tests of the keyboard and mouse handling: camera values, game switches and the camera lines.
#include "app/window/Input.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/window/Game.h"
#include "render/Graphics.h"
#include "tests/support/GlWindow.h"

namespace {

// A game without a window: the keys reach its switches, nothing is drawn.
class InputWithGame : public testing::Test {
 protected:
  void SetUp() override { game = std::make_unique<Game>(nullptr, &input); }

  void Keys(const std::string& keys) {
    for (const char key : keys) input.OnKey(static_cast<unsigned char>(key), 0, 0);
  }

  Input input;
  std::unique_ptr<Game> game;
};

// The camera values a mouse drag moves, compared whole so that a failure shows all four.
struct DragCamera {
  float spin;
  float tilt;
  float panX;
  float panY;
  bool operator==(const DragCamera&) const = default;
};

void PrintTo(const DragCamera& camera, std::ostream* out) {
  *out << "spin " << camera.spin << ", tilt " << camera.tilt << ", pan " << camera.panX << " " << camera.panY;
}

DragCamera DragCameraOf(const Input& input) { return {input.spin, input.tilt, input.panX, input.panY}; }

// A mouse event as the toolkit reports it: a button pressed or released at a point, or the
// pointer moved there with whatever buttons are down.
struct MouseEvent {
  int button;
  int state;  // 0 pressed, 1 released; unused for a move
  int x;
  int y;
};
constexpr int kMoved = -1;

MouseEvent Press(int button, int x, int y) { return {button, 0, x, y}; }
MouseEvent Release(int button, int x, int y) { return {button, 1, x, y}; }
MouseEvent MoveTo(int x, int y) { return {kMoved, 0, x, y}; }

void Play(Input& input, const std::vector<MouseEvent>& events) {
  for (const MouseEvent& event : events) {
    if (event.button == kMoved) {
      input.OnMouseMotion(event.x, event.y);
    } else {
      input.OnMouseButton(event.button, event.state, event.x, event.y);
    }
  }
}

}  // namespace

TEST(Input, StartsAtTheInitialCamera) {
  Input input;
  EXPECT_EQ(input.spin, 40.0f);
  EXPECT_EQ(input.tilt, 30.0f);
  EXPECT_EQ(input.panX, 0.0f);
  EXPECT_EQ(input.panY, 0.0f);
  EXPECT_EQ(input.zoom, -130.0f);
  EXPECT_FALSE(input.leftDown);
  EXPECT_FALSE(input.rightDown);
}

TEST_F(InputWithGame, WAndSZoomInFiveUnitSteps) {
  Keys("ww");
  EXPECT_EQ(input.zoom, -120.0f);
  Keys("s");
  EXPECT_EQ(input.zoom, -125.0f);
}

TEST_F(InputWithGame, PTogglesPauseAndZoomStillWorksWhilePaused) {
  Keys("p");
  EXPECT_TRUE(game->paused);
  Keys("w");
  EXPECT_EQ(input.zoom, -125.0f);
  Keys("p");
  EXPECT_FALSE(game->paused);
}

TEST_F(InputWithGame, DTogglesDynamicTerrain) {
  Keys("d");
  EXPECT_FALSE(game->dynamicTerrain);
  Keys("d");
  EXPECT_TRUE(game->dynamicTerrain);
}

TEST_F(InputWithGame, BTogglesBlood) {
  Keys("b");
  EXPECT_FALSE(game->battle->bloodEnabled);
  Keys("b");
  EXPECT_TRUE(game->battle->bloodEnabled);
}

// A reset starts a new battle without changing the tally.
TEST_F(InputWithGame, RResetsTheBattleAndKeepsTheWins) {
  game->StartBattle();
  game->battle->objects->Update(0.01f);
  ASSERT_GT(game->battle->objects->RegisteredCount(), 0u);
  Keys("r");
  for (const GameObject* object : game->battle->objects->Registered()) EXPECT_TRUE(object->removed) << object->name;
  EXPECT_EQ(game->battle->RedWins(), 0);
  EXPECT_EQ(game->battle->BlueWins(), 0);
}

TEST_F(InputWithGame, UpperCaseAndOtherKeysDoNothing) {
  game->StartBattle();
  game->battle->objects->Update(0.01f);
  Keys("WSQPRBD1 x");
  EXPECT_EQ(input.zoom, -130.0f);
  for (const GameObject* object : game->battle->objects->Registered()) EXPECT_FALSE(object->removed) << object->name;
  EXPECT_FALSE(game->paused);
  EXPECT_TRUE(game->dynamicTerrain);
  EXPECT_TRUE(game->battle->bloodEnabled);
}

TEST(InputDeathTest, QEndsTheProcessWithStatusZero) {
  Input input;
  EXPECT_EXIT(input.OnKey('q', 0, 0), testing::ExitedWithCode(0), "");
}

TEST(InputDeathTest, EscapeEndsTheProcessWithStatusZero) {
  Input input;
  EXPECT_EXIT(input.OnKey(27, 0, 0), testing::ExitedWithCode(0), "");
}

TEST(Input, SwitchKeysWithoutAGameAreHarmless) {
  Input input;
  for (const char key : std::string("pdr")) input.OnKey(static_cast<unsigned char>(key), 0, 0);
  EXPECT_EQ(input.zoom, -130.0f);
}

TEST(Input, LeftAndRightButtonsFollowPressAndRelease) {
  Input input;
  input.OnMouseButton(Input::kLeft, 0, 1, 2);
  EXPECT_TRUE(input.leftDown);
  input.OnMouseButton(Input::kRight, 0, 3, 4);
  EXPECT_TRUE(input.rightDown);
  input.OnMouseButton(Input::kLeft, 1, 5, 6);
  EXPECT_FALSE(input.leftDown);
  EXPECT_TRUE(input.rightDown);
  input.OnMouseButton(Input::kRight, 1, 7, 8);
  EXPECT_FALSE(input.rightDown);
  EXPECT_EQ(input.lastX, 7);
  EXPECT_EQ(input.lastY, 8);
}

TEST(Input, MiddleButtonOnlyRecordsThePosition) {
  Input input;
  input.OnMouseButton(Input::kMiddle, 0, 30, 40);
  EXPECT_FALSE(input.leftDown);
  EXPECT_FALSE(input.rightDown);
  EXPECT_EQ(input.zoom, -130.0f);
  EXPECT_EQ(input.lastX, 30);
  EXPECT_EQ(input.lastY, 40);
}

TEST(Input, WheelZoomsOnPressAndReleaseAlike) {
  Input input;
  input.OnMouseButton(Input::kWheelUp, 0, 0, 0);
  input.OnMouseButton(Input::kWheelUp, 1, 0, 0);
  EXPECT_EQ(input.zoom, -120.0f);
  input.OnMouseButton(Input::kWheelDown, 0, 0, 0);
  EXPECT_EQ(input.zoom, -125.0f);
}

namespace {
// Each case: mouse events played into a fresh input, and the camera they leave.
struct MouseDragCase {
  const char* name;
  std::vector<MouseEvent> events;
  DragCamera camera;
};

void PrintTo(const MouseDragCase& drag, std::ostream* out) { *out << drag.name; }

class MouseDrag : public testing::TestWithParam<MouseDragCase> {};
}  // namespace

TEST_P(MouseDrag, MovesTheCamera) {
  Input input;
  Play(input, GetParam().events);
  EXPECT_EQ(DragCameraOf(input), GetParam().camera);
}

INSTANTIATE_TEST_SUITE_P(
    Input, MouseDrag,
    testing::Values(MouseDragCase{"LeftDragSpinsAndTiltsOneDegreePerPixel",
                                  {Press(Input::kLeft, 200, 300), MoveTo(250, 300), MoveTo(300, 295)},
                                  {.spin = 140.0f, .tilt = 25.0f, .panX = 0.0f, .panY = 0.0f}},
                    MouseDragCase{"RightDragUpwardsRaisesThePan",
                                  {Press(Input::kRight, 100, 100), MoveTo(103, 90)},
                                  {.spin = 40.0f, .tilt = 30.0f, .panX = 30.0f, .panY = 100.0f}},
                    MouseDragCase{"DragWithBothButtonsAppliesBothRules",
                                  {Press(Input::kLeft, 10, 10), Press(Input::kRight, 10, 10), MoveTo(20, 5)},
                                  {.spin = 50.0f, .tilt = 25.0f, .panX = 100.0f, .panY = 50.0f}},
                    MouseDragCase{"ButtonPressWithoutMotionDoesNotJump",
                                  {Press(Input::kLeft, 0, 0), Release(Input::kLeft, 0, 0), Press(Input::kLeft, 500, 500),
                                   MoveTo(500, 500)},
                                  {.spin = 40.0f, .tilt = 30.0f, .panX = 0.0f, .panY = 0.0f}}),
    [](const testing::TestParamInfo<MouseDragCase>& drag) { return std::string(drag.param.name); });

TEST(Input, MotionWithoutButtonsOnlyMovesTheReference) {
  Input input;
  Play(input, {Press(Input::kLeft, 0, 0), Release(Input::kLeft, 0, 0), MoveTo(70, 80)});
  EXPECT_EQ(input.spin, 40.0f);
  EXPECT_EQ(input.lastX, 70);
  EXPECT_EQ(input.lastY, 80);
}

TEST(Input, UpdatePostsTheCameraLines) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  Graphics graphics;
  Input input;
  Game game(&graphics, &input);
  input.Update();
  ASSERT_EQ(graphics.Hud().Categories().size(), 1u);
  EXPECT_EQ(graphics.Hud().Categories()[0].name, "Input");
  EXPECT_EQ(graphics.Hud().Categories()[0].lines, (std::vector<std::string>{"Zoom: -130", "Tilt: 30", "Spin: 40"}));

  input.OnMouseButton(Input::kLeft, 0, 0, 0);
  input.OnMouseMotion(100, 0);
  input.Update();
  EXPECT_EQ(graphics.Hud().Categories()[0].lines.back(), "Spin: 140");
}

// What the inspector adds to the picture: a ring around the selected unit's billboard, and at the
// top of the window the balance bar and the chart of units alive per side over the battle.
#pragma once

class BattleTimeline;
struct FrameScene;
class Sprite;

class InspectorOverlay {
 public:
  // Right of the panel's left column, so no panel line ever lies under them.
  static constexpr int kLeftEdge = 480;
  static constexpr int kRightMargin = 20;
  static constexpr int kBarTop = 6;
  static constexpr int kBarHeight = 14;
  static constexpr int kChartTop = 28;
  static constexpr int kChartHeight = 90;
  // Left of the curves, the unit counts; under them, the seconds and which colour is which side.
  static constexpr int kAxisGutter = 30;
  static constexpr int kLabelRow = 14;
  // The chart spans at least this many seconds, so an early battle does not stretch.
  static constexpr double kShortestSpan = 60.0;

  // After the billboards, before the panel; with the view and projection still loaded.
  static void Draw(const FrameScene& scene, int width, int height);
  // Drawn over the terrain and the billboards alike, with the depth test off.
  static void DrawRing(const Sprite& sprite);
  static void DrawBalance(const BattleTimeline& timeline, int width, int height);

 private:
  static void DrawBar(int red, int blue, int left, int right, int top);
  static void DrawChart(const BattleTimeline& timeline, int left, int right, int top);
  static void DrawAxes(int most, double span, int left, int right, int top);
};

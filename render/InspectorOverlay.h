// What the inspector adds to the picture: a ring around the selected unit's billboard (and its
// squad's when a side is led by hand), and at the
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
  // viewSecond, when not negative, is marked on the chart.
  static void DrawBalance(const BattleTimeline& timeline, double viewSecond, int width, int height);
  // The second of the battle under a point of a window width pixels wide (x from the left, y from
  // the top) when it lies on the chart, else a negative number.
  static double ChartSecondAt(const BattleTimeline& timeline, int width, int x, int y);

 private:
  static void DrawBar(int red, int blue, int left, int right, int top);
  static void DrawChart(const BattleTimeline& timeline, double viewSecond, int left, int right, int top);
  static void DrawMarker(double second, double xScale, int plotLeft, int top);
  static void DrawAxes(int most, double span, int left, int right, int top);
};

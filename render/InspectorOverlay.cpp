// The selection ring, the balance bar and the alive chart, in immediate mode.
#include "render/InspectorOverlay.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <string>

#include "battle/BattleTimeline.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "render/FrameScene.h"
#include "render/SceneMatrices.h"

namespace {
constexpr float kRed[3] = {0.85f, 0.1f, 0.1f};
constexpr float kBlue[3] = {0.1f, 0.2f, 0.9f};
// A little wider than the billboard, so the ring frames the unit rather than cutting through it.
constexpr float kRingMargin = 1.25f;
constexpr float kInk[3] = {0.15f, 0.15f, 0.15f};
constexpr int kTextInset = 3;
void* const kFont = GLUT_BITMAP_HELVETICA_10;

int TextWidth(const std::string& text) {
  return glutBitmapLength(kFont, reinterpret_cast<const unsigned char*>(text.c_str()));
}

// Text with its baseline at y, from x; returns where the next text would start.
int Text(const float colour[3], int x, int y, const std::string& text) {
  glColor3fv(colour);
  glRasterPos2i(x, y);
  for (const char c : text) glutBitmapCharacter(kFont, static_cast<unsigned char>(c));
  return x + TextWidth(text);
}

// One pixel per unit with the origin at the top left, like the window toolkit's pointer.
void UseWindowPixels(int width, int height) { glOrtho(0.0, width, height, 0.0, -1.0, 1.0); }

void Rectangle(float left, float top, float right, float bottom) {
  glBegin(GL_QUADS);
  glVertex2f(left, top);
  glVertex2f(right, top);
  glVertex2f(right, bottom);
  glVertex2f(left, bottom);
  glEnd();
}

double Span(const std::vector<TimelineSample>& samples) {
  return samples.empty() ? InspectorOverlay::kShortestSpan : std::max(InspectorOverlay::kShortestSpan,
                                                                      samples.back().second);
}

// The curve of one side's alive count; alive picks the count out of a sample.
template <class Alive>
void Curve(const std::vector<TimelineSample>& samples, Alive alive, double xScale, double yScale, int left,
           int bottom) {
  glBegin(GL_LINE_STRIP);
  for (const TimelineSample& sample : samples) {
    glVertex2d(left + sample.second * xScale, bottom - alive(sample) * yScale);
  }
  glEnd();
}
}  // namespace

void InspectorOverlay::Draw(const FrameScene& scene, int width, int height) {
  // The default texture has no image and leaves the drawn colours as they are.
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  if (scene.selected != nullptr && scene.selected->GetSprite() != nullptr) DrawRing(*scene.selected->GetSprite());
  for (const GameObject* unit : scene.squad) {
    if (unit->GetSprite() != nullptr) DrawRing(*unit->GetSprite());
  }
  if (scene.timeline != nullptr) DrawBalance(*scene.timeline, scene.viewSecond, width, height);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void InspectorOverlay::DrawRing(const Sprite& sprite) {
  const Vector3& p = sprite.position;
  const float s = sprite.halfSize * kRingMargin;
  const float c1 = s * sprite.facingCos;
  const float s1 = s * sprite.facingSin;
  const float bottom = p.y - (s - sprite.halfSize);
  const float top = bottom + 2.0f * s;
  glLineWidth(3.0f);
  glColor4f(1.0f, 0.95f, 0.0f, 1.0f);
  glBegin(GL_LINE_LOOP);
  glVertex3f(p.x + c1, top, p.z + s1);
  glVertex3f(p.x - c1, top, p.z - s1);
  glVertex3f(p.x - c1, bottom, p.z - s1);
  glVertex3f(p.x + c1, bottom, p.z + s1);
  glEnd();
  glLineWidth(1.0f);
}

void InspectorOverlay::DrawBalance(const BattleTimeline& timeline, double viewSecond, int width, int height) {
  const int right = width - kRightMargin;
  if (right <= kLeftEdge) return;
  SceneMatrices::DrawOver([&] {
    UseWindowPixels(width, height);
    DrawBar(timeline.Latest().redAlive, timeline.Latest().blueAlive, kLeftEdge, right, kBarTop);
    DrawChart(timeline, viewSecond, kLeftEdge, right, kChartTop);
  });
}

double InspectorOverlay::ChartSecondAt(const BattleTimeline& timeline, int width, int x, int y) {
  const int right = width - kRightMargin;
  const int plotLeft = kLeftEdge + kAxisGutter;
  const bool onChart = x >= plotLeft && x <= right && y >= kChartTop && y <= kChartTop + kChartHeight + kLabelRow;
  if (!onChart) return -1.0;
  return (x - plotLeft) * Span(timeline.Samples()) / (right - plotLeft);
}

// Red fills from the left and blue from the right; where they meet is where the balance stands.
void InspectorOverlay::DrawBar(int red, int blue, int left, int right, int top) {
  const auto l = static_cast<float>(left);
  const auto r = static_cast<float>(right);
  const auto t = static_cast<float>(top);
  const float bottom = t + static_cast<float>(kBarHeight);
  const int total = red + blue;
  const float share = total > 0 ? static_cast<float>(red) / static_cast<float>(total) : 0.5f;
  const float split = l + (r - l) * share;
  glColor3fv(kRed);
  Rectangle(l, t, split, bottom);
  glColor3fv(kBlue);
  Rectangle(split, t, r, bottom);
  glColor3f(1.0f, 1.0f, 1.0f);
  Rectangle(split - 1.0f, t - 2.0f, split + 1.0f, bottom + 2.0f);
}

void InspectorOverlay::DrawChart(const BattleTimeline& timeline, double viewSecond, int left, int right, int top) {
  const int bottom = top + kChartHeight;
  glColor3f(0.92f, 0.92f, 0.88f);
  Rectangle(static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
            static_cast<float>(bottom + kLabelRow));
  const auto& samples = timeline.Samples();
  const int most = samples.empty() ? 0 : std::max({samples.front().redAlive, samples.front().blueAlive});
  const double span = Span(samples);
  const int plotLeft = left + kAxisGutter;
  DrawAxes(most, span, left, right, top);
  const double xScale = (right - plotLeft) / span;
  if (viewSecond >= 0.0) DrawMarker(viewSecond, xScale, plotLeft, top);
  if (samples.empty()) return;
  const double yScale = static_cast<double>(kChartHeight) / std::max(1, most);
  glLineWidth(2.0f);
  glColor3fv(kRed);
  Curve(samples, [](const TimelineSample& s) { return s.redAlive; }, xScale, yScale, plotLeft, bottom);
  glColor3fv(kBlue);
  Curve(samples, [](const TimelineSample& s) { return s.blueAlive; }, xScale, yScale, plotLeft, bottom);
  glLineWidth(1.0f);
}

// Under the curves, so that it never hides where they stand.
void InspectorOverlay::DrawMarker(double second, double xScale, int plotLeft, int top) {
  const auto x = static_cast<float>(plotLeft + second * xScale);
  glColor3f(0.55f, 0.55f, 0.5f);
  Rectangle(x - 1.0f, static_cast<float>(top), x + 1.0f, static_cast<float>(top + kChartHeight));
}

// The units at the start (the top) and none at the bottom in the gutter; the seconds from 0 to the
// chart's span under the curves, with the legend between them.
void InspectorOverlay::DrawAxes(int most, double span, int left, int right, int top) {
  const int bottom = top + kChartHeight;
  const int plotLeft = left + kAxisGutter;
  glColor3fv(kInk);
  glBegin(GL_LINE_STRIP);
  glVertex2i(plotLeft, top);
  glVertex2i(plotLeft, bottom);
  glVertex2i(right, bottom);
  glEnd();
  const std::string mostText = std::to_string(most);
  Text(kInk, plotLeft - kTextInset - TextWidth(mostText), top + 10, mostText);
  Text(kInk, plotLeft - kTextInset - TextWidth("0"), bottom, "0");
  const int labels = bottom + kLabelRow - kTextInset;
  Text(kInk, left + kTextInset, labels, "units");
  Text(kInk, plotLeft, labels, "0 s");
  const std::string end = std::to_string(static_cast<long long>(span)) + " s";
  Text(kInk, right - kTextInset - TextWidth(end), labels, end);
  int x = Text(kInk, (plotLeft + right) / 2 - 60, labels, "alive: ");
  x = Text(kRed, x, labels, "red");
  x = Text(kInk, x, labels, ", ");
  Text(kBlue, x, labels, "blue");
}

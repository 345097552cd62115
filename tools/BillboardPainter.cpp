// Draws the unit and effect billboards: light, outlined figures on transparent ground, upright
// (row 0 is the top), so the team tint multiplies them into red or blue.
#include "tools/BillboardPainter.h"

#include <cmath>

#include "tools/Canvas.h"
#include "tools/FixedNoise.h"

namespace {

// Figures are drawn in a 128 x 128 design space whatever the image size.
constexpr int kFigureSize = 128;
constexpr int kEffectSize = 64;
constexpr double kOutlineWidth = 1.6;

const Colour kOutline{0.32, 0.30, 0.29};
const Colour kSkin{1.0, 0.89, 0.79};
const Colour kCloth{0.97, 0.97, 0.97};
const Colour kClothShade{0.84, 0.84, 0.86};
const Colour kMetal{0.89, 0.91, 0.95};
const Colour kWood{0.93, 0.82, 0.64};
const Colour kLeather{0.84, 0.72, 0.57};
const Colour kHair{0.90, 0.80, 0.60};
const Colour kGold{1.0, 0.93, 0.56};

using S = Shapes;

Point Mirror(Point p) { return {128.0 - p.x, p.y}; }

void Part(Canvas& canvas, const Shape& shape, Colour colour) {
  canvas.FillOutlined(shape, colour, kOutline, kOutlineWidth);
}

void Legs(Canvas& canvas, double cx, double spread, double top) {
  for (double side : {-1.0, 1.0}) {
    const Point hip{cx + side * 7.0, top};
    const Point foot{cx + side * (9.0 + spread), 116.0};
    Part(canvas, S::Tapered(hip, foot, 6.5, 4.5), kClothShade);
    Part(canvas, S::Ellipse({foot.x + side * 1.5, 119.5}, 7.5, 4.0), kLeather);
  }
}

void Tunic(Canvas& canvas, double cx, double top, double bottom, Colour colour) {
  Part(canvas, S::Polygon({{cx - 16, top}, {cx + 16, top}, {cx + 20, bottom}, {cx - 20, bottom}}), colour);
}

void Belt(Canvas& canvas, double cx, double y) {
  Part(canvas, S::Capsule({cx - 17, y}, {cx + 17, y}, 2.4), kLeather);
  Part(canvas, S::Circle({cx, y}, 3.0), kGold);
}

void Face(Canvas& canvas, Point centre, double radius) {
  Part(canvas, S::Capsule({centre.x, centre.y}, {centre.x, centre.y + radius + 4}, 4.5), kSkin);
  Part(canvas, S::Circle(centre, radius), kSkin);
  for (double side : {-1.0, 1.0}) {
    canvas.Fill(S::Circle({centre.x + side * radius * 0.38, centre.y + radius * 0.2}, 1.4), kOutline);
  }
}

void Helmet(Canvas& canvas, Point head, double radius) {
  const Shape dome =
      S::Subtract(S::Circle({head.x, head.y - 1}, radius + 1.5), S::Polygon({{head.x - 30, head.y - 1},
                                                                             {head.x + 30, head.y - 1},
                                                                             {head.x + 30, head.y + 30},
                                                                             {head.x - 30, head.y + 30}}));
  Part(canvas, S::Union({dome, S::Capsule({head.x - radius - 2, head.y - 1}, {head.x + radius + 2, head.y - 1}, 2.0)}),
       kMetal);
  Part(canvas, S::Capsule({head.x, head.y - 1}, {head.x, head.y + 7}, 1.4), kMetal);
}

void Arm(Canvas& canvas, Point shoulder, Point elbow, Point hand, Colour sleeve) {
  Part(canvas, S::Union({S::Capsule(shoulder, elbow, 4.8), S::Capsule(elbow, hand, 4.2)}), sleeve);
  Part(canvas, S::Circle(hand, 4.6), kSkin);
}

void SwordUp(Canvas& canvas, Point grip, double length) {
  const double top = grip.y - length;
  Part(canvas,
       S::Polygon({{grip.x - 2.6, grip.y - 4},
                   {grip.x + 2.6, grip.y - 4},
                   {grip.x + 2.2, top + 7},
                   {grip.x, top},
                   {grip.x - 2.2, top + 7}}),
       kMetal);
  Part(canvas, S::Capsule({grip.x - 8, grip.y - 4}, {grip.x + 8, grip.y - 4}, 2.0), kGold);
  Part(canvas, S::Capsule({grip.x, grip.y - 3}, {grip.x, grip.y + 6}, 2.0), kLeather);
  Part(canvas, S::Circle({grip.x, grip.y + 8}, 2.6), kGold);
}

void RoundShield(Canvas& canvas, Point centre, double radius) {
  Part(canvas, S::Circle(centre, radius), kCloth);
  canvas.Fill(S::Arc(centre, radius - 4.0, 0.0, 360.0, 2.2), kMetal);
  Part(canvas, S::Capsule({centre.x, centre.y - radius + 5}, {centre.x, centre.y + radius - 5}, 1.6), kMetal);
  Part(canvas, S::Circle(centre, radius * 0.27), kMetal);
}

RgbaImage Finish(const Canvas& canvas) { return canvas.ToImage(kOutline); }

// A bearded blade on the outer side of the haft, its cutting edge curved.
void AxeHead(Canvas& canvas, Point top, double side) {
  auto at = [&](double dx, double dy) { return Point{top.x + side * dx, top.y + dy}; };
  Part(canvas,
       S::Polygon({at(2, 1), at(-6, -2), at(-13, -7), at(-17, 0), at(-18, 8), at(-16, 16), at(-12, 21), at(-6, 14),
                   at(2, 11)}),
       kMetal);
}

void Axe(Canvas& canvas, Point butt, Point top, double side) {
  Part(canvas, S::Capsule(butt, top, 2.3), kWood);
  AxeHead(canvas, top, side);
}

void WildHair(Canvas& canvas, Point head) {
  std::vector<Point> spikes;
  constexpr int kPoints = 18;
  for (int i = 0; i < kPoints; ++i) {
    const double angle = 3.14159265358979 * (1.05 + 0.9 * i / (kPoints - 1.0));
    const double reach = (i % 2 == 0) ? 17.5 : 11.0;
    spikes.push_back({head.x + reach * std::cos(angle), head.y + 2 + reach * std::sin(angle)});
  }
  spikes.push_back({head.x + 12, head.y + 8});
  spikes.push_back({head.x - 12, head.y + 8});
  Part(canvas, S::Polygon(spikes), kHair);
}

void Beard(Canvas& canvas, Point head, double length) {
  Part(canvas,
       S::Polygon({{head.x - 9, head.y + 3},
                   {head.x + 9, head.y + 3},
                   {head.x + 6, head.y + length},
                   {head.x, head.y + length + 4},
                   {head.x - 6, head.y + length}}),
       kHair);
}

void Banner(Canvas& canvas, double poleX) {
  Part(canvas, S::Capsule({poleX, 120}, {poleX, 8}, 2.0), kWood);
  Part(canvas, S::Polygon({{poleX + 1, 9}, {126, 9}, {117, 22}, {126, 35}, {poleX + 1, 35}}), kCloth);
  Part(canvas, S::Circle({poleX + 12, 22}, 5.0), kGold);
  Part(canvas, S::Circle({poleX, 6}, 3.4), kGold);
}

void Crown(Canvas& canvas, Point head) {
  const double base = head.y - 7;
  Part(canvas,
       S::Polygon({{head.x - 12, base + 4},
                   {head.x - 13, base - 9},
                   {head.x - 7, base - 3},
                   {head.x, base - 12},
                   {head.x + 7, base - 3},
                   {head.x + 13, base - 9},
                   {head.x + 12, base + 4}}),
       kGold);
  canvas.Fill(S::Circle({head.x, base - 1}, 1.8), kOutline);
}

void Cape(Canvas& canvas) {
  Part(canvas,
       S::Polygon({{44, 34}, {84, 34}, {104, 106}, {96, 118}, {82, 112}, {64, 120}, {46, 112}, {32, 118}, {24, 106}}),
       kClothShade);
}

void BloodSplat(Canvas& canvas) {
  const FixedNoise noise(0xB100DU);
  const Colour stain{0.46, 0.03, 0.04, 0.92};
  const Shape body = [&noise](double x, double y) {
    const double angle = std::atan2(y - 64.0, x - 64.0);
    const double wobble = noise.Fractal(std::cos(angle) * 1.6 + 5.0, std::sin(angle) * 1.6 + 5.0, 3);
    return std::hypot(x - 64.0, y - 64.0) - 30.0 * (1.0 + 0.55 * wobble);
  };
  std::vector<Shape> drops{body};
  for (int i = 0; i < 9; ++i) {
    const double angle = 0.7 * i + 2.0 * noise.Lattice(i, 1);
    const double reach = 38.0 + 18.0 * noise.Lattice(i, 2);
    drops.push_back(
        S::Circle({64 + reach * std::cos(angle), 64 + reach * std::sin(angle)}, 2.5 + 4.5 * noise.Lattice(i, 3)));
  }
  canvas.Fill(S::Union(drops), stain, 3.5);
  canvas.Fill(S::Circle({60, 62}, 14.0), Colour{0.32, 0.0, 0.02, 0.7}, 14.0);
}

}  // namespace

RgbaImage BillboardPainter::Soldier() {
  Canvas canvas(kFigureSize);
  Legs(canvas, 64, 1, 78);
  SwordUp(canvas, {34, 64}, 58);
  Tunic(canvas, 64, 38, 84, kCloth);
  Part(canvas, S::Polygon({{51, 40}, {77, 40}, {75, 64}, {53, 64}}), kMetal);
  Belt(canvas, 64, 70);
  Face(canvas, {64, 25}, 10);
  Helmet(canvas, {64, 25}, 10);
  Arm(canvas, {50, 42}, {42, 54}, {34, 64}, kCloth);
  RoundShield(canvas, {86, 64}, 20);
  return Finish(canvas);
}

RgbaImage BillboardPainter::Archer() {
  Canvas canvas(kFigureSize);
  Part(canvas, S::Capsule({72, 16}, {84, 56}, 5.0), kLeather);
  for (double dx : {0.0, 4.5, 9.0}) {
    Part(canvas, S::Polygon({{68 + dx, 8}, {73 + dx, 8}, {74 + dx, 17}, {70 + dx, 17}}), kCloth);
  }
  Legs(canvas, 60, 2, 80);
  Tunic(canvas, 60, 38, 88, kCloth);
  Belt(canvas, 60, 70);
  Face(canvas, {60, 26}, 10);
  Part(canvas,
       S::Subtract(S::Union({S::Circle({60, 25}, 13.5), S::Polygon({{52, 16}, {60, 2}, {68, 16}})}),
                   S::Circle({60, 29}, 10.0)),
       kClothShade);
  Arm(canvas, {74, 42}, {88, 50}, {101, 56}, kCloth);
  Part(canvas, S::Arc({51, 56}, 51, -52, 52, 3.6), kWood);
  canvas.Fill(S::Capsule({82.4, 15.8}, {82.4, 96.2}, 0.7), kOutline);
  Part(canvas, S::Capsule({80, 55}, {112, 55}, 1.2), kWood);
  Part(canvas, S::Polygon({{110, 50}, {121, 55}, {110, 60}}), kMetal);
  Arm(canvas, {46, 42}, {62, 56}, {80, 55}, kCloth);
  return Finish(canvas);
}

RgbaImage BillboardPainter::Berserker() {
  Canvas canvas(kFigureSize);
  const Point head{64, 34};
  Legs(canvas, 64, 12, 80);
  Part(canvas,
       S::Polygon({{44, 72}, {84, 72}, {90, 92}, {82, 88}, {76, 94}, {68, 88}, {60, 95}, {52, 88}, {44, 94}, {38, 92}}),
       kClothShade);
  Part(canvas, S::Polygon({{46, 46}, {82, 46}, {80, 76}, {48, 76}}), kSkin);
  Belt(canvas, 64, 74);
  WildHair(canvas, head);
  Face(canvas, head, 10);
  Beard(canvas, head, 16);
  for (double side : {-1.0, 1.0}) {
    const auto at = [side](Point p) { return side < 0 ? p : Mirror(p); };
    Arm(canvas, at({48, 49}), at({36, 44}), at({28, 32}), kSkin);
    Axe(canvas, at({37, 52}), at({21, 16}), side);
    Part(canvas, S::Circle(at({28, 33}), 4.6), kSkin);
  }
  return Finish(canvas);
}

RgbaImage BillboardPainter::SquadLeader() {
  Canvas canvas(kFigureSize);
  Banner(canvas, 98);
  Legs(canvas, 58, 1, 78);
  Tunic(canvas, 58, 38, 86, kCloth);
  Part(canvas, S::Polygon({{45, 40}, {71, 40}, {69, 64}, {47, 64}}), kMetal);
  Belt(canvas, 58, 70);
  Part(canvas, S::Tapered({58, 14}, {68, 3}, 4.5, 2.5), kCloth);
  Face(canvas, {58, 25}, 10);
  Helmet(canvas, {58, 25}, 10);
  Arm(canvas, {72, 42}, {86, 52}, {98, 56}, kCloth);
  Arm(canvas, {44, 42}, {38, 56}, {36, 70}, kCloth);
  Part(canvas, S::Polygon({{33.5, 76}, {38.5, 76}, {38, 104}, {36, 110}, {34, 104}}), kMetal);
  Part(canvas, S::Capsule({29, 75}, {43, 75}, 2.0), kGold);
  return Finish(canvas);
}

RgbaImage BillboardPainter::General() {
  Canvas canvas(kFigureSize);
  const Point head{64, 26};
  Cape(canvas);
  Legs(canvas, 64, 2, 84);
  Part(canvas, S::Polygon({{44, 36}, {84, 36}, {88, 86}, {40, 86}}), kMetal);
  Part(canvas, S::Polygon({{56, 38}, {72, 38}, {74, 90}, {54, 90}}), kCloth);
  Belt(canvas, 64, 72);
  Part(canvas, S::Polygon({{61, 84}, {67, 84}, {66.5, 112}, {64, 118}, {61.5, 112}}), kMetal);
  Face(canvas, head, 11);
  Beard(canvas, head, 14);
  Crown(canvas, head);
  for (double side : {-1.0, 1.0}) {
    const auto at = [side](Point p) { return side < 0 ? p : Mirror(p); };
    Arm(canvas, at({46, 42}), at({48, 66}), at({60, 78}), kCloth);
    Part(canvas, S::Circle(at({45, 40}), 6.5), kGold);
  }
  Part(canvas, S::Capsule({52, 84}, {76, 84}, 2.4), kGold);
  Part(canvas, S::Capsule({64, 72}, {64, 82}, 2.4), kLeather);
  Part(canvas, S::Circle({64, 70}, 3.2), kGold);
  return Finish(canvas);
}

RgbaImage BillboardPainter::Blood() {
  Canvas canvas(kEffectSize);
  BloodSplat(canvas);
  return canvas.ToImage({0.46, 0.03, 0.04});
}

RgbaImage BillboardPainter::Arrow() {
  Canvas canvas(kEffectSize);
  constexpr double kOutlineArrow = 3.0;
  for (double side : {-1.0, 1.0}) {
    canvas.FillOutlined(
        S::Polygon({{8, 64 + side * 15}, {30, 64 + side * 15}, {40, 64 + side * 2}, {16, 64 + side * 2}}), kCloth,
        kOutline, kOutlineArrow);
  }
  canvas.FillOutlined(S::Capsule({10, 64}, {100, 64}, 3.0), kWood, kOutline, kOutlineArrow);
  canvas.FillOutlined(S::Polygon({{96, 50}, {124, 64}, {96, 78}, {102, 64}}), kMetal, kOutline, kOutlineArrow);
  return Finish(canvas);
}

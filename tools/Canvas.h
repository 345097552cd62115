// A floating-point RGBA drawing surface with anti-aliased shape filling, for billboard images.
#pragma once

#include <vector>

#include "tools/RgbaImage.h"
#include "tools/Shapes.h"

struct Colour {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 1.0;
};

class Canvas {
 public:
  // size x size pixels, fully transparent; shapes are given in units of size / 128 so
  // the same drawing fits any size.
  explicit Canvas(int size);

  // softness: width of the fading edge in pixels (1 gives a crisp anti-aliased edge).
  void Fill(const Shape& shape, Colour colour, double softness = 1.0);
  // Fills the shape with a darker rim around it, so parts stay apart from each other and the figure
  // from the ground behind it.
  void FillOutlined(const Shape& shape, Colour colour, Colour outline, double outlineWidth);
  // Fully transparent pixels take the pad colour, so linear filtering at the edges blends
  // towards the outline instead of black.
  RgbaImage ToImage(Colour pad) const;

 private:
  int size_;
  double unit_;
  std::vector<double> premultiplied_;  // r, g, b, a per pixel, colour already scaled by alpha
};

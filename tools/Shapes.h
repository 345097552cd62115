// Signed-distance shapes for drawing billboards: negative inside, positive outside, in pixels.
#pragma once

#include <functional>
#include <vector>

struct Point {
  double x = 0.0;
  double y = 0.0;
};

using Shape = std::function<double(double x, double y)>;

class Shapes {
 public:
  static Shape Circle(Point centre, double radius);
  // angle in degrees, turning the x axis towards +y (downwards on the image).
  static Shape Ellipse(Point centre, double radiusX, double radiusY, double angle = 0.0);
  // A thick line with round ends.
  static Shape Capsule(Point from, Point to, double radius);
  // Tapering thick line: radius changes linearly from one end to the other.
  static Shape Tapered(Point from, Point to, double fromRadius, double toRadius);
  // Any simple polygon, corners in either winding order.
  static Shape Polygon(std::vector<Point> corners);
  // A thick arc around centre from one angle to another (degrees, as for Ellipse).
  static Shape Arc(Point centre, double radius, double fromAngle, double toAngle, double thickness);
  static Shape Union(std::vector<Shape> parts);
  static Shape Subtract(Shape from, Shape hole);
};

// Signed-distance shapes for drawing billboards: negative inside, positive outside, in pixels.
#include "tools/Shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double kDegrees = 3.14159265358979323846 / 180.0;

double SegmentParameter(Point p, Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  if (lengthSquared <= 0.0) {
    return 0.0;
  }
  return std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
}

double SegmentDistance(Point p, Point a, Point b) {
  const double t = SegmentParameter(p, a, b);
  return std::hypot(p.x - (a.x + (b.x - a.x) * t), p.y - (a.y + (b.y - a.y) * t));
}

}  // namespace

Shape Shapes::Circle(Point centre, double radius) {
  return [=](double x, double y) { return std::hypot(x - centre.x, y - centre.y) - radius; };
}

Shape Shapes::Ellipse(Point centre, double radiusX, double radiusY, double angle) {
  const double c = std::cos(angle * kDegrees);
  const double s = std::sin(angle * kDegrees);
  return [=](double x, double y) {
    const double dx = x - centre.x;
    const double dy = y - centre.y;
    const double u = (dx * c + dy * s) / radiusX;
    const double v = (-dx * s + dy * c) / radiusY;
    // Scaled by the smaller radius: close enough to a true distance for soft edges.
    return (std::hypot(u, v) - 1.0) * std::min(radiusX, radiusY);
  };
}

Shape Shapes::Capsule(Point from, Point to, double radius) {
  return [=](double x, double y) { return SegmentDistance({x, y}, from, to) - radius; };
}

Shape Shapes::Tapered(Point from, Point to, double fromRadius, double toRadius) {
  return [=](double x, double y) {
    const double t = SegmentParameter({x, y}, from, to);
    const double px = from.x + (to.x - from.x) * t;
    const double py = from.y + (to.y - from.y) * t;
    return std::hypot(x - px, y - py) - (fromRadius + (toRadius - fromRadius) * t);
  };
}

Shape Shapes::Polygon(std::vector<Point> corners) {
  return [corners = std::move(corners)](double x, double y) {
    double nearest = std::numeric_limits<double>::max();
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      const Point a = corners[i];
      const Point b = corners[j];
      nearest = std::min(nearest, SegmentDistance({x, y}, a, b));
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
        inside = !inside;
      }
    }
    return inside ? -nearest : nearest;
  };
}

Shape Shapes::Arc(Point centre, double radius, double fromAngle, double toAngle, double thickness) {
  const Point start{centre.x + radius * std::cos(fromAngle * kDegrees),
                    centre.y + radius * std::sin(fromAngle * kDegrees)};
  const Point end{centre.x + radius * std::cos(toAngle * kDegrees), centre.y + radius * std::sin(toAngle * kDegrees)};
  return [=](double x, double y) {
    double angle = std::atan2(y - centre.y, x - centre.x) / kDegrees;
    while (angle < fromAngle) {
      angle += 360.0;
    }
    if (angle <= toAngle) {
      return std::abs(std::hypot(x - centre.x, y - centre.y) - radius) - thickness * 0.5;
    }
    const double toEnds = std::min(std::hypot(x - start.x, y - start.y), std::hypot(x - end.x, y - end.y));
    return toEnds - thickness * 0.5;
  };
}

Shape Shapes::Union(std::vector<Shape> parts) {
  return [parts = std::move(parts)](double x, double y) {
    double nearest = std::numeric_limits<double>::max();
    for (const Shape& part : parts) {
      nearest = std::min(nearest, part(x, y));
    }
    return nearest;
  };
}

Shape Shapes::Subtract(Shape from, Shape hole) {
  return [from = std::move(from), hole = std::move(hole)](double x, double y) {
    return std::max(from(x, y), -hole(x, y));
  };
}

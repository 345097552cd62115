// Which unit's billboard lies under a window point: the billboards' corners taken through the same
// view and projection the frame was drawn with. Pure arithmetic, so it is tested without GL.
#pragma once

#include <array>
#include <vector>

#include "math/Matrix4.h"
#include "math/Vector3.h"

class GameObject;
class Sprite;

class BillboardPicker {
 public:
  // width and height are the viewport's, in pixels.
  BillboardPicker(const Matrix4& view, const Matrix4& projection, int width, int height);

  // x from the left, y from the top, as the window toolkit reports the pointer. Where billboards
  // overlap the one nearest to the camera wins; null over empty ground. Every candidate counts as
  // drawn: in the window every unit type has its texture.
  GameObject* Pick(const std::vector<GameObject*>& candidates, int x, int y) const;
  // Whether the sprite's quad covers the point; depth is then its distance along the view.
  bool Covers(const Sprite& sprite, float x, float y, float& depth) const;
  // The window point (y from the top) of a world point; false behind the camera.
  bool Project(const Vector3& world, float& x, float& y, float& depth) const;

 private:
  Matrix4 viewProjection;
  float width;
  float height;
};

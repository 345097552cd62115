// Which point of the ground lies under a window point: the ground is searched through the view
// and projection the frame was drawn with, coarse then fine, heights included. Pure arithmetic,
// like the billboards' picker, so it needs no GL.
#pragma once

#include "math/Vector3.h"
#include "render/BillboardPicker.h"

class Terrain;

class GroundPicker {
 public:
  // A point farther than this many pixels from any of the ground's is off the field.
  static constexpr float kMostPixelsOff = 4.0f;

  // width and height are the viewport's, in pixels.
  GroundPicker(const Matrix4& view, const Matrix4& projection, int width, int height);

  // x from the left, y from the top. False over the sky, beyond the field's edge or on an empty
  // terrain; ground is then unchanged.
  bool Pick(const Terrain& terrain, int x, int y, Vector3& ground) const;

 private:
  // The ground point whose picture lies nearest to (x, y) among those of a square grid with the
  // given step, around centre and reaching reach either way; its distance in pixels, or a negative
  // one when none is in front of the camera.
  float Nearest(const Terrain& terrain, float x, float y, const Vector3& centre, float reach, float step,
                Vector3& best) const;

  BillboardPicker projector;
};

// The scene's lights and ambient colour, the camera transforms rendering fills in every frame, and
// the two materials the terrain is drawn with.
#pragma once

#include <array>
#include <vector>

#include "math/Matrix4.h"
#include "math/Vector3.h"

using Rgba = std::array<float, 4>;

// A directional light: the unit direction towards the light, and one colour for its diffuse and
// specular parts.
struct Light {
  Vector3 direction;
  Rgba colour{};
};

class Lighting {
 public:
  static constexpr Rgba kDynamicTerrainSpecular{0.8f, 0.3f, 0.3f, 1.0f};
  static constexpr int kDynamicTerrainShininess = 25;
  static constexpr Rgba kDynamicTerrainDiffuse{0.6f, 0.6f, 0.6f, 1.0f};

  Lighting();

  void ClearLights();
  void SetAmbient(float red, float green, float blue, float alpha);
  // The direction is scaled to unit length, so callers must give a non-zero vector.
  void AddLight(float x, float y, float z, float red, float green, float blue, float alpha);

  // Turns on depth test and lighting, loads view and projection (leaving GL_PROJECTION as the
  // matrix mode) and places the lights in world space. Lights removed since an earlier call stay
  // switched on in GL.
  void Apply() const;
  // Front material for the terrain; colour material later replaces the diffuse part with the
  // vertex colours.
  void ApplyTerrainMaterial(const Rgba& specular, int shininess, const Rgba& diffuse) const;
  void ApplyDynamicTerrainMaterial() const;

  Rgba ambient{0.0f, 0.0f, 0.0f, 1.0f};
  std::vector<Light> lights;
  Matrix4 view;
  Matrix4 projection;
  Vector3 viewOrigin;
  Vector3 viewAxisPoint;
  Vector3 viewAxis;

 private:
  void LoadMatrices() const;
  void PlaceLights() const;
};

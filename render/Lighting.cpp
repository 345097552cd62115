// Lights, light model and terrain materials in fixed-function GL.
#include "render/Lighting.h"

#include <GL/gl.h>

Lighting::Lighting() { ClearLights(); }

void Lighting::ClearLights() { lights.clear(); }

void Lighting::SetAmbient(float red, float green, float blue, float alpha) { ambient = {red, green, blue, alpha}; }

void Lighting::AddLight(float x, float y, float z, float red, float green, float blue, float alpha) {
  Light light;
  light.direction = Vector3(x, y, z);
  light.direction.Normalize();
  light.colour = {red, green, blue, alpha};
  lights.push_back(light);
}

void Lighting::Apply() const {
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient.data());
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  LoadMatrices();
  PlaceLights();
}

void Lighting::LoadMatrices() const {
  const auto viewColumns = view.ToColumnMajor();
  const auto projectionColumns = projection.ToColumnMajor();
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(viewColumns.data());
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(projectionColumns.data());
}

// Positions go through the modelview matrix loaded just before, which puts them in world space.
void Lighting::PlaceLights() const {
  for (std::size_t i = 0; i < lights.size(); ++i) {
    const Light& light = lights[i];
    const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
    const float position[4] = {light.direction.x, light.direction.y, light.direction.z, 0.0f};
    glLightfv(id, GL_POSITION, position);
    glLightfv(id, GL_DIFFUSE, light.colour.data());
    glLightfv(id, GL_SPECULAR, light.colour.data());
    glEnable(id);
  }
}

void Lighting::ApplyTerrainMaterial(const Rgba& specular, int shininess, const Rgba& diffuse) const {
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular.data());
  glMateriali(GL_FRONT, GL_SHININESS, shininess);
  glMaterialfv(GL_FRONT, GL_AMBIENT, ambient.data());
  glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse.data());
}

void Lighting::ApplyDynamicTerrainMaterial() const {
  ApplyTerrainMaterial(kDynamicTerrainSpecular, kDynamicTerrainShininess, kDynamicTerrainDiffuse);
}

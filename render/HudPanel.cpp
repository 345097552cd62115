// Collecting and drawing the HUD text with the toolkit's bitmap font.
#include "render/HudPanel.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include "render/SceneMatrices.h"

void HudPanel::AddHudLine(const std::string& text, const std::string& category) {
  const std::string name = category.substr(0, kMaxNameLength);
  for (HudCategory& existing : categories) {
    if (existing.name == name) {
      existing.lines.push_back(text);
      return;
    }
  }
  categories.push_back(HudCategory{name, {text}});
}

void HudPanel::Clear() { categories.clear(); }

void HudPanel::DrawText(int y, const std::string& text) {
  glRasterPos2i(kLeftMargin, y);
  for (const char c : text) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_10, static_cast<unsigned char>(c));
}

void HudPanel::DrawHud(int width, int height) const {
  SceneMatrices::DrawOver([&] {
    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 0.0f, 0.0f);
    gluOrtho2D(0.0, width, 0.0, height);
    DrawCategories(height);
  });
}

void HudPanel::DrawCategories(int height) const {
  int y = height - kRowHeight;
  for (const HudCategory& category : categories) {
    DrawText(y, category.name);
    for (const std::string& line : category.lines) {
      y -= kRowHeight;
      DrawText(y, " -" + line);
    }
    y -= kRowHeight;
  }
}

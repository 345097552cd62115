// Reference text is drawn in the test's own GL window; both it and the program rasterise the same
// font through the same software renderer, so the ink must match pixel for pixel.
#include "tests/e2e/HudText.h"

#include <GL/freeglut.h>

#include <map>
#include <vector>

#include "tests/support/GlWindow.h"

namespace {

constexpr int kSide = 256;         // the reference window
constexpr int kRowPitch = 10;      // pixels between panel rows
constexpr int kFirstBaseline = 9;  // the top row's baseline, counted from the window's top
constexpr int kLeft = 10;
// The part of a row compared: from the cap height down to one row below the baseline. The rest of
// the descenders is left out, as the row below starts where they end.
constexpr int kBandTop = 2;
constexpr int kBandRows = kFirstBaseline + 2 - kBandTop;
// Every row of a 1024-pixel window.
constexpr int kRows = 102;

using InkMask = std::vector<bool>;  // kBandRows x kSide, rows top down

bool IsInk(unsigned char r, unsigned char g, unsigned char b) { return r < 40 && g < 40 && b < 40; }

// The top row's band of the text drawn black on white at the panel's raster position.
InkMask DrawReference(const std::string& drawn) {
  InkMask mask;
  if (!GlWindow::EnsureCurrent()) return mask;
  glViewport(0, 0, kSide, kSide);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kSide, 0, kSide, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glColor3f(0, 0, 0);
  glRasterPos2i(kLeft, kSide - 1 - kFirstBaseline);
  for (char c : drawn) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_10, static_cast<unsigned char>(c));
  std::vector<unsigned char> rgb(static_cast<std::size_t>(kBandRows) * kSide * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, kSide - kBandTop - kBandRows, kSide, kBandRows, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  mask.resize(static_cast<std::size_t>(kBandRows) * kSide);
  for (int y = 0; y < kBandRows; ++y) {
    const int glRow = kBandRows - 1 - y;  // GL reads bottom up
    for (int x = 0; x < kSide; ++x) {
      const unsigned char* p = &rgb[(static_cast<std::size_t>(glRow) * kSide + x) * 3];
      mask[static_cast<std::size_t>(y) * kSide + x] = IsInk(p[0], p[1], p[2]);
    }
  }
  return mask;
}

const InkMask& Reference(const std::string& drawn) {
  static std::map<std::string, InkMask> cache;
  auto found = cache.find(drawn);
  if (found == cache.end()) found = cache.emplace(drawn, DrawReference(drawn)).first;
  return found->second;
}

}  // namespace

bool HudText::RowShowsCategory(const Screenshot& shot, int row, const std::string& name) {
  return RowShows(shot, row, name);
}

bool HudText::RowShowsLine(const Screenshot& shot, int row, const std::string& text) {
  return RowShows(shot, row, " -" + text);
}

int HudText::FindLine(const Screenshot& shot, const std::string& text) {
  for (int row = 0; row < kRows; ++row) {
    if (RowShowsLine(shot, row, text)) return row;
  }
  return -1;
}

bool HudText::RowShows(const Screenshot& shot, int row, const std::string& drawn) {
  const InkMask& reference = Reference(drawn);
  if (reference.empty() || shot.rgb.empty()) return false;
  // Pixels the shot misses (a window reaching past the screen's edge) are not compared.
  for (int y = 0; y < kBandRows; ++y) {
    const int shotY = row * kRowPitch + kBandTop + y - shot.originY;
    if (shotY < 0 || shotY >= shot.height) continue;
    for (int x = 0; x < kSide; ++x) {
      const int shotX = x - shot.originX;
      if (shotX < 0 || shotX >= shot.width) continue;
      const std::size_t at = (static_cast<std::size_t>(shotY) * shot.width + shotX) * 3;
      const bool ink = IsInk(shot.rgb[at], shot.rgb[at + 1], shot.rgb[at + 2]);
      if (ink != reference[static_cast<std::size_t>(y) * kSide + x]) return false;
    }
  }
  return true;
}

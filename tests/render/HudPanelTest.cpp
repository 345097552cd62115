// Tests of the HUD panel: grouping of lines by category and where the rows land on screen.
#include "render/HudPanel.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/GlState.h"
#include "tests/support/GlWindow.h"

namespace {

constexpr int kWidth = 256;
constexpr int kPanelHeight = 200;  // below the window's top, so rows drawn too high show up

using Names = std::vector<std::string>;

Names CategoryNames(const HudPanel& panel) {
  Names names;
  for (const HudCategory& category : panel.Categories()) names.push_back(category.name);
  return names;
}

// Rows (window y, bottom up) holding at least one dark pixel.
std::vector<bool> DarkRows(int height) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  std::vector<bool> dark(static_cast<std::size_t>(height), false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (pixels[(static_cast<std::size_t>(y) * kWidth + x) * 3] < 64) dark[static_cast<std::size_t>(y)] = true;
    }
  }
  return dark;
}

bool AnyDark(const std::vector<bool>& dark, int from, int to) {
  for (int y = from; y < to; ++y) {
    if (dark[static_cast<std::size_t>(y)]) return true;
  }
  return false;
}

}  // namespace

TEST(HudPanel, GroupsLinesUnderTheirCategoryInPostingOrder) {
  HudPanel panel;
  panel.AddHudLine("Red Wins: 0", "Wins");
  panel.AddHudLine("Zoom: -130", "Input");
  panel.AddHudLine("Blue Wins: 0", "Wins");
  ASSERT_EQ(CategoryNames(panel), (Names{"Wins", "Input"}));
  EXPECT_EQ(panel.Categories()[0].lines, (Names{"Red Wins: 0", "Blue Wins: 0"}));
  EXPECT_EQ(panel.Categories()[1].lines, (Names{"Zoom: -130"}));
}

TEST(HudPanel, ComparesCategoryNamesCaseSensitively) {
  HudPanel panel;
  panel.AddHudLine("a", "Timing");
  panel.AddHudLine("b", "TIMING");
  EXPECT_EQ(CategoryNames(panel), (Names{"Timing", "TIMING"}));
}

TEST(HudPanel, CutsLongCategoryNamesToFifteenCharactersBeforeMatching) {
  HudPanel panel;
  panel.AddHudLine("first", "ABCDEFGHIJKLMNOPQ");
  panel.AddHudLine("second", "ABCDEFGHIJKLMNO");
  ASSERT_EQ(CategoryNames(panel), (Names{"ABCDEFGHIJKLMNO"}));
  EXPECT_EQ(panel.Categories()[0].lines, (Names{"first", "second"}));
}

TEST(HudPanel, ClearForgetsEveryCategory) {
  HudPanel panel;
  panel.AddHudLine("", "Battle");
  panel.Clear();
  EXPECT_TRUE(panel.Categories().empty());
}

// Rows are 10 px apart from height - 10 down, names and lines alike, with no gap between
// categories; an empty line still shows its hyphen. Text without descenders keeps each row's ink
// inside [baseline, baseline + 10).
TEST(HudPanel, DrawsOneRowPerNameAndLineTenPixelsApartFromTheTop) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  glViewport(0, 0, kWidth, kPanelHeight);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  HudPanel panel;
  panel.AddHudLine("ABC", "HUD");
  panel.AddHudLine("DEF", "HUD");
  panel.AddHudLine("", "XYZ");
  panel.DrawHud(kWidth, kPanelHeight);
  glFinish();

  const std::vector<bool> dark = DarkRows(256);
  constexpr int kRows = 5;  // HUD, -ABC, -DEF, XYZ and the hyphen of its empty line
  for (int row = 0; row < kRows; ++row) {
    const int baseline = kPanelHeight - 10 - 10 * row;
    EXPECT_TRUE(AnyDark(dark, baseline, baseline + 10)) << "row " << row;
  }
  EXPECT_FALSE(AnyDark(dark, kPanelHeight, 256)) << "ink above the first row";
  EXPECT_FALSE(AnyDark(dark, 0, kPanelHeight - 10 - 10 * kRows)) << "ink below the last row";
}

TEST(HudPanel, DrawingRestoresBothMatrixStacksAndLeavesProjectionMode) {
  ASSERT_TRUE(GlWindow::EnsureCurrent());
  const GLint modelviewDepth = GlState::Integer(GL_MODELVIEW_STACK_DEPTH);
  const GLint projectionDepth = GlState::Integer(GL_PROJECTION_STACK_DEPTH);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1.0f, 2.0f, 3.0f);

  HudPanel panel;
  panel.AddHudLine("line", "Timing");
  panel.DrawHud(kWidth, kPanelHeight);

  EXPECT_EQ(GlState::Integer(GL_MATRIX_MODE), GL_PROJECTION);
  EXPECT_EQ(GlState::Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
  EXPECT_EQ(GlState::Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  float matrix[16] = {};
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_FLOAT_EQ(matrix[12], 1.0f);
  EXPECT_FLOAT_EQ(matrix[14], 3.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

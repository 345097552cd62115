// The on-screen text block in the top-left corner: lines posted under category names during one
// frame, drawn at the end of it and then forgotten.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct HudCategory {
  std::string name;
  std::vector<std::string> lines;
};

class HudPanel {
 public:
  static constexpr std::size_t kMaxNameLength = 15;
  static constexpr int kRowHeight = 10;
  static constexpr int kLeftMargin = 10;

  // Categories keep the order of their first post in the frame. A longer category name is cut to
  // its first 15 characters, so it lands in the category of that shorter name.
  void AddHudLine(const std::string& text, const std::string& category);
  // One row per name and per line, 10 px apart from y = height - 10 down, in black. Both matrix
  // stacks are restored; the matrix mode is left on GL_PROJECTION.
  void DrawHud(int width, int height) const;
  void Clear();

  const std::vector<HudCategory>& Categories() const { return categories; }

 private:
  static void DrawText(int y, const std::string& text);
  // Each category's name and its lines, top down from the window's top edge.
  void DrawCategories(int height) const;

  std::vector<HudCategory> categories;
};

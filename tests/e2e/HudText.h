// End-to-end helper: reads the program's on-screen panel from a screenshot by drawing the expected
// text with the same bitmap font and comparing where the ink falls, row by row.
#pragma once

#include <string>

#include "tests/e2e/VirtualDisplay.h"

class HudText {
 public:
  // true when panel row `row` (0 = the top row) shows exactly this category name.
  static bool RowShowsCategory(const Screenshot& shot, int row, const std::string& name);
  // true when panel row `row` shows exactly this line (the panel draws a line as " -" + text).
  static bool RowShowsLine(const Screenshot& shot, int row, const std::string& text);
  // The first row showing this line, or -1.
  static int FindLine(const Screenshot& shot, const std::string& text);

 private:
  static bool RowShows(const Screenshot& shot, int row, const std::string& drawn);
};

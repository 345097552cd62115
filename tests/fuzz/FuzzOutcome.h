// What one fuzzing input came to, so that the regression suite can hold known files to it.
#pragma once

struct FuzzOutcome {
  bool loaded = false;  // the image decoded (png), became a terrain (heightmap) or the file was accepted (scenario)
  int width = 0;        // image width, or terrain columns (of a scenario whose armies were raised)
  int height = 0;       // image height, or terrain rows
  int components = 0;   // bytes per pixel of the decoded image
  bool failed = false;  // a strategy script that loaded failed in one of its calls (and forfeits)
};

// What one fuzzing input came to, so that the regression suite can hold known files to it.
#pragma once

struct FuzzOutcome {
  bool loaded = false;  // the image decoded (png) or became a terrain (heightmap)
  int width = 0;        // image width, or terrain columns
  int height = 0;       // image height, or terrain rows
  int components = 0;   // bytes per pixel of the decoded image
};

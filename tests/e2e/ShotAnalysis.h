// End-to-end helper: what a person would look for in a screenshot of the battle window.
#pragma once

#include <string>

#include "tests/e2e/VirtualDisplay.h"

namespace shots {

using PixelTest = bool (*)(unsigned char r, unsigned char g, unsigned char b);

// The bright salmon of the red army's billboards; the pink hills never get that saturated.
bool IsRedUnit(unsigned char r, unsigned char g, unsigned char b);
// The lavender of the blue army's billboards; painted routes are a much darker blue.
bool IsBlueUnit(unsigned char r, unsigned char g, unsigned char b);
// The green that path searches paint on the dynamic terrain; the ground itself is olive.
bool IsSearchPaint(unsigned char r, unsigned char g, unsigned char b);

int Count(const Screenshot& shot, PixelTest test);

// Share of pixels in the central 400 x 400 square that differ from the reference, or, without
// one, from the grey the frame is cleared to.
double ChangedShare(const Screenshot& shot, const Screenshot* reference);

// The panel's corner (top left) and the rest of the window, the scene, compared separately.
bool SameScene(const Screenshot& a, const Screenshot& b);
bool SamePanel(const Screenshot& a, const Screenshot& b);
// Right of the panel's column, which runs further down than its corner when many categories show
// and whose timing lines move the rows below them from frame to frame.
bool SameBesidePanel(const Screenshot& a, const Screenshot& b);

// Writes the shot as a binary PPM, for looking at what a failed test saw.
bool SavePpm(const Screenshot& shot, const std::string& path);

}  // namespace shots

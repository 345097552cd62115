// Pixel measures over screenshots of the battle window.
#include "tests/e2e/ShotAnalysis.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace shots {

namespace {

// Taller and wider than the panel's text in every test, which stay at the default camera.
constexpr int kPanelWidth = 320;
constexpr int kPanelHeight = 320;
constexpr int kSquare = 400;
constexpr int kTolerance = 8;

bool SameSize(const Screenshot& a, const Screenshot& b) {
  return a.width == b.width && a.height == b.height && !a.rgb.empty();
}

// Compares the pixels inside (insidePanel) or outside the panel's corner.
bool SameRegion(const Screenshot& a, const Screenshot& b, bool insidePanel) {
  if (!SameSize(a, b)) return false;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if ((x < kPanelWidth && y < kPanelHeight) != insidePanel) continue;
      const std::size_t at = (static_cast<std::size_t>(y) * a.width + x) * 3;
      if (a.rgb[at] != b.rgb[at] || a.rgb[at + 1] != b.rgb[at + 1] || a.rgb[at + 2] != b.rgb[at + 2]) return false;
    }
  }
  return true;
}

}  // namespace

bool IsRedUnit(unsigned char r, unsigned char g, unsigned char b) { return r >= 240 && r - g >= 80 && r - b >= 80; }

bool IsBlueUnit(unsigned char r, unsigned char g, unsigned char b) { return b >= 240 && b - r >= 60 && b - g >= 60; }

bool IsSearchPaint(unsigned char r, unsigned char g, unsigned char b) { return g >= 140 && g - r >= 80 && g - b >= 80; }

int Count(const Screenshot& shot, PixelTest test) {
  int count = 0;
  for (std::size_t at = 0; at + 2 < shot.rgb.size(); at += 3) {
    if (test(shot.rgb[at], shot.rgb[at + 1], shot.rgb[at + 2])) ++count;
  }
  return count;
}

double ChangedShare(const Screenshot& shot, const Screenshot* reference) {
  if (shot.width < kSquare || shot.height < kSquare) return 0.0;
  if (reference != nullptr && !SameSize(shot, *reference)) return 1.0;
  const int left = shot.width / 2 - kSquare / 2;
  const int top = shot.height / 2 - kSquare / 2;
  int changed = 0;
  for (int y = top; y < top + kSquare; ++y) {
    for (int x = left; x < left + kSquare; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * shot.width + x) * 3;
      for (std::size_t c = 0; c < 3; ++c) {
        const int was = reference != nullptr ? reference->rgb[at + c] : 128;
        if (std::abs(shot.rgb[at + c] - was) > kTolerance) {
          ++changed;
          break;
        }
      }
    }
  }
  return changed / static_cast<double>(kSquare * kSquare);
}

bool SameScene(const Screenshot& a, const Screenshot& b) { return SameRegion(a, b, false); }

bool SamePanel(const Screenshot& a, const Screenshot& b) { return SameRegion(a, b, true); }

bool SameBesidePanel(const Screenshot& a, const Screenshot& b) {
  if (!SameSize(a, b)) return false;
  const std::size_t skipped = static_cast<std::size_t>(kPanelWidth) * 3;
  const std::size_t row = static_cast<std::size_t>(a.width) * 3;
  for (std::size_t start = 0; start < a.rgb.size(); start += row) {
    if (!std::equal(a.rgb.begin() + static_cast<std::ptrdiff_t>(start + skipped),
                    a.rgb.begin() + static_cast<std::ptrdiff_t>(start + row),
                    b.rgb.begin() + static_cast<std::ptrdiff_t>(start + skipped))) {
      return false;
    }
  }
  return true;
}

bool SavePpm(const Screenshot& shot, const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << shot.width << " " << shot.height << "\n255\n";
  file.write(reinterpret_cast<const char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
  return static_cast<bool>(file);
}

}  // namespace shots

// Takes a picture of the real battle window for the README: starts battlesim on a private X server
// with the given options, lets the battle run, pauses it, clicks a unit, lets it run a moment more
// so that the unit's trace lines show, pauses again and saves the window as PNG.
//   battlesim-shot OUTPUT.png SECONDS X Y [battlesim options...]
// X and Y "auto" click the red billboard pixel nearest to the window's middle.
#include <png.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/PngWriter.h"
#include "tests/e2e/ShotAnalysis.h"
#include "tests/e2e/VirtualDisplay.h"

namespace {
constexpr char kTitle[] = "TR417 - Clashmoor - Orvane - Tessik";

// A pixel that only a red billboard has, nearest to the middle; the middle itself when none.
void NearestRedUnit(const Screenshot& shot, int& x, int& y) {
  x = shot.width / 2;
  y = shot.height / 2;
  long best = -1;
  for (int row = 0; row < shot.height; ++row) {
    for (int column = 0; column < shot.width; ++column) {
      const unsigned char* p = &shot.rgb[(static_cast<std::size_t>(row) * shot.width + column) * 3];
      if (!shots::IsRedUnit(p[0], p[1], p[2])) continue;
      const long dx = column - shot.width / 2;
      const long dy = row - shot.height / 2;
      if (best < 0 || dx * dx + dy * dy < best) {
        best = dx * dx + dy * dy;
        x = column + shot.originX;
        y = row + shot.originY;
      }
    }
  }
}

void Wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

bool SavePng(const Screenshot& shot, const std::string& path) {
  PngWriterImage image;
  image.width = shot.width;
  image.height = shot.height;
  image.colourType = PNG_COLOR_TYPE_RGB;
  image.rows = shot.rgb;
  return PngWriter::Write(path, image);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: battlesim-shot OUTPUT.png SECONDS X Y [battlesim options...]\n";
    return 2;
  }
  const std::vector<std::string> options(argv + 5, argv + argc);
  VirtualDisplay display;
  if (!display.IsOpen()) {
    std::cerr << "battlesim-shot: no private X server (is Xvfb installed?)\n";
    return 1;
  }
  const std::filesystem::path program(BATTLESIM_PROGRAM);
  ProgramProcess process(program.string(), program.parent_path().string(), display.Name(), options);
  const Window window = display.WaitForWindow(kTitle, 60.0);
  if (window == 0) {
    std::cerr << "battlesim-shot: the window did not appear\n";
    return 1;
  }
  Wait(std::stod(argv[2]));
  display.PressKey(window, "p");
  Wait(0.5);
  int x = 0;
  int y = 0;
  if (std::string(argv[3]) == "auto") {
    NearestRedUnit(display.Capture(window), x, y);
  } else {
    x = std::stoi(argv[3]);
    y = std::stoi(argv[4]);
  }
  display.Click(window, 1, x, y);
  // A moment of battle with the unit selected, so that its latest trace lines are on the panel.
  Wait(0.5);
  display.PressKey(window, "p");
  Wait(1.0);
  display.PressKey(window, "p");
  Wait(1.0);
  if (!SavePng(display.Capture(window), argv[1])) {
    std::cerr << "battlesim-shot: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}

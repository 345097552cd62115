// Takes a picture of the real battle window for the README: starts battlesim on a private X server
// with the given options, lets the battle run, pauses it, clicks a unit and saves the window as PNG.
//   battlesim-shot OUTPUT.png SECONDS X Y [battlesim options...]
#include <png.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/VirtualDisplay.h"
#include "tests/support/PngWriter.h"

namespace {
constexpr char kTitle[] = "TR417 - Clashmoor - Orvane - Tessik";

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
  display.Click(window, 1, std::stoi(argv[3]), std::stoi(argv[4]));
  Wait(1.0);
  if (!SavePng(display.Capture(window), argv[1])) {
    std::cerr << "battlesim-shot: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}

// Frames per second of the battle window on this machine's GL: the window program's own frame
// loop, counted over a fixed time after a warm-up, with the terrain drawn either way.
//   battlesim-render-bench [--terrain dynamic|static] [--seconds S] [--seed N] [--squads N] [--threads 1|2]
#include <GL/freeglut.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/window/Game.h"
#include "app/window/GameWindow.h"
#include "app/window/Input.h"
#include "render/Graphics.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  bool dynamicTerrain = true;
  double seconds = 20.0;
  unsigned seed = 1;
  int squads = 5;  // per side
  int threads = 1;  // stepping the battle
};

constexpr double kWarmUpSeconds = 2.0;

Settings settings;
Clock::time_point countStart;
double processorAtStart = 0.0;
bool counting = false;
long long frames = 0;
// The game the idle callback counts the frames of.
Game* measured = nullptr;

// Of every thread of the process, GL's rasterisers included: unlike the frame rate, it hardly
// moves with what else the machine runs.
double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + 1e-6 * static_cast<double>(time.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool Parse(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--terrain" && (value == "dynamic" || value == "static")) {
      settings.dynamicTerrain = value == "dynamic";
    } else if (name == "--seconds" && std::atof(value.c_str()) > 0.0) {
      settings.seconds = std::atof(value.c_str());
    } else if (name == "--threads" && (value == "1" || value == "2")) {
      settings.threads = std::atoi(value.c_str());
    } else if (name == "--squads" && std::atoi(value.c_str()) > 0) {
      settings.squads = std::atoi(value.c_str());
    } else if (name == "--seed") {
      settings.seed = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
    } else {
      return false;
    }
  }
  return argc % 2 == 1;
}

void CountFrame() {
  measured->Frame();
  const Clock::time_point now = Clock::now();
  static const Clock::time_point started = now;
  if (!counting) {
    if (now - started < std::chrono::duration<double>(kWarmUpSeconds)) return;
    counting = true;
    countStart = now;
    processorAtStart = ProcessorSeconds();
    frames = 0;
    return;
  }
  ++frames;
  const double elapsed = std::chrono::duration<double>(now - countStart).count();
  if (elapsed >= settings.seconds) {
    std::printf("terrain %s, %d squads per side: %lld frames in %.1f s = %.1f frames per second\n",
                settings.dynamicTerrain ? "dynamic" : "static", settings.squads, frames, elapsed,
                static_cast<double>(frames) / elapsed);
    std::printf("processor time per frame, all threads: %.1f ms\n",
                1000.0 * (ProcessorSeconds() - processorAtStart) / static_cast<double>(frames));
    std::exit(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  GameWindow::Open(argc, argv);
  if (!Parse(argc, argv)) {
    std::fprintf(stderr,
                 "usage: battlesim-render-bench [--terrain dynamic|static] [--seconds S] [--seed N] [--squads N] [--threads 1|2]\n");
    return 2;
  }
  auto graphics = std::make_unique<Graphics>();
  auto input = std::make_unique<Input>();
  Scenario scenario;
  for (ArmySetup& army : scenario.armies) army.squads = settings.squads;
  auto game = std::make_unique<Game>(graphics.get(), input.get(), scenario, settings.seed);
  GameWindow::Show(game.get());
  measured = game.get();
  game->dynamicTerrain = settings.dynamicTerrain;
  game->battle->SetStepThreads(settings.threads);
  game->StartBattle();
  glutIdleFunc(CountFrame);
  glutMainLoop();
  return 0;
}

// Warnings about unreadable images.
#include "app/MissingFiles.h"

#include <iostream>
#include <string_view>

#include "app/Game.h"
#include "platform/DebugChannel.h"
#include "platform/FileDiagnosis.h"
#include "terrain/Terrain.h"

namespace {
void DiscardDebugText(std::string_view /*text*/) {}

void SayNoGround(const std::string& heightMap, const char* program, const char* consequence) {
  std::cerr << program << ": cannot read the height map " << FileDiagnosis::DescribeUnreadableImage(heightMap) << ": "
            << consequence
            << ". Start it from the project root or the build folder, install it (README, Installing), or give a "
               "scenario with --scenario.\n";
}
}  // namespace

bool MissingFiles::GroundReadable(const std::string& heightMap, const char* program) {
  Terrain probe;
  // The probe's loading lines are not the user's business.
  DebugChannel::SetSink(DiscardDebugText);
  const bool loaded = probe.Load(heightMap, false) == 0;
  DebugChannel::SetSink(nullptr);
  if (!loaded) SayNoGround(heightMap, program, "without ground no battle can end, so none is run");
  return loaded;
}

void MissingFiles::ReportGround(const Game& game, const char* program) {
  if (game.terrain.width > 0) return;
  SayNoGround(game.scenario.heightMap, program, "the field stays empty and no battle will end");
}

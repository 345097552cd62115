// Warnings about unreadable images and height maps read otherwise than they look.
#include "app/setup/MissingFiles.h"

#include <iostream>
#include <string_view>

#include "battle/Battle.h"
#include "platform/DebugChannel.h"
#include "platform/FileDiagnosis.h"
#include "platform/PngPixels.h"
#include "terrain/Terrain.h"

namespace {
void DiscardDebugText(std::string_view /*text*/) {}

void SayNoGround(const std::string& heightMap, const char* program, const char* consequence) {
  std::cerr << program << ": cannot read the height map " << FileDiagnosis::DescribeUnreadableImage(heightMap) << ": "
            << consequence
            << ". Start it from the project root or the build folder, install it (README, Installing), or give a "
               "scenario with --scenario.\n";
}

// The height is each pixel's last byte, so a colour map without alpha gives the blue channel's:
// hills drawn in red or green would play as a flat field without a word.
void SayIfHeightFromBlue(const PngRaw& image, const std::string& heightMap, const char* program) {
  if (image.components != 3) return;
  std::cerr << program << ": " << heightMap
            << ": height read from the blue channel; save it as grey or with an alpha channel\n";
}
}  // namespace

bool MissingFiles::GroundReadable(const std::string& heightMap, const char* program) {
  PngRaw image;
  Terrain probe;
  // The probe's loading lines are not the user's business; a caller that silenced them already
  // (an embedding program with battles running) keeps its own sink.
  const DebugChannel::Sink before = DebugChannel::SetSink(DiscardDebugText);
  const bool loaded = PngPixels::LoadRaw(heightMap, image) && probe.LoadPixels(image, false) == 0;
  DebugChannel::SetSink(before);
  if (!loaded) SayNoGround(heightMap, program, "without ground no battle can end, so none is run");
  if (loaded) SayIfHeightFromBlue(image, heightMap, program);
  return loaded;
}

void MissingFiles::ReportGround(const Battle& battle, const char* program) {
  if (battle.terrain.width == 0) {
    SayNoGround(battle.scenario.heightMap, program, "the field stays empty and no battle will end");
    return;
  }
  PngRaw image;
  if (PngPixels::LoadRaw(battle.scenario.heightMap, image))
    SayIfHeightFromBlue(image, battle.scenario.heightMap, program);
}

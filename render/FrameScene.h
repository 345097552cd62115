// What one frame draws, handed to the renderer by whoever owns it: the lights and camera, the
// battle, how its ground is drawn, what the overlay marks, and the images.
#pragma once

#include <vector>

class Battle;
class BattleTimeline;
class GameObject;
class Lighting;
class TextureManager;
struct CameraView;

struct FrameScene {
  Lighting& lighting;
  const CameraView& camera;
  Battle& battle;
  // The dynamic terrain shows the footsteps; the static one is the compiled display list.
  bool dynamicTerrain = true;
  // Ringed by the overlay; null when no unit is selected.
  const GameObject* selected = nullptr;
  // Ringed with it: the squad of a side led by hand; empty when the window only watches.
  std::vector<const GameObject*> squad{};
  // Drawn as the balance chart; null for none.
  const BattleTimeline* timeline = nullptr;
  // The billboards' images; without them (no GL context to load them into) none is drawn.
  TextureManager* textures = nullptr;
  // The second of the battle the view stands at, marked on the chart; negative for no mark.
  double viewSecond = -1.0;
};

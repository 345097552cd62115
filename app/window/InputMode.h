// What the window does beyond watching (leading a side, placing squads): it hears keys and clicks
// before the watching window does, and adds its lines to the panel. Without one the window is the
// watching window alone.
#pragma once

#include <vector>

class GameObject;

class InputMode {
 public:
  virtual ~InputMode() = default;

  // True when the key was the mode's, and nothing else should hear it.
  virtual bool OnKey(unsigned char key) = 0;
  // A left press and release without a move between; true when the mode took it.
  virtual bool OnLeftClick(int x, int y) = 0;
  // The same with the right button, whose drags pan the view.
  virtual bool OnRightClick(int x, int y) = 0;
  // A left press; true when the mode takes the drag it may start, which then turns no camera and
  // ends in OnLeftDrop (a release without a move is still a click).
  virtual bool OnLeftPress(int /*x*/, int /*y*/) { return false; }
  // The release of a left drag the mode took at its press.
  virtual void OnLeftDrop(int /*x*/, int /*y*/) {}
  // After the watching window's lines, every frame.
  virtual void PostLines() = 0;
  // Units the picture rings beside the inspector's selection.
  virtual std::vector<const GameObject*> Ringed() const { return {}; }
};

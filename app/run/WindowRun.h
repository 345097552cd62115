// What the window's summary adds: whether it ran fixed steps (only then do its battles play again),
// and the first battle its user changed by a reset or a blood switch (0: none).
#pragma once

struct WindowRun {
  bool fixedSteps = false;
  int changedFromBattle = 0;
};

// A side's share of the battles won, with the 95% Wilson score interval, so that a user can tell
// a real advantage from the luck of a few battles.
#pragma once

struct WinRate {
  double rate = 0.0;
  double low = 0.0;
  double high = 0.0;
  bool known = false;  // false when no battle has finished

  static WinRate Of(int wins, int battles);
};

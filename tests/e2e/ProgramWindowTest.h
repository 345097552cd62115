// Test fixture: the built window program on a private virtual display, watched through
// screenshots. A failed test's last screenshot is kept in the temporary folder for a look.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/VirtualDisplay.h"

// Whether a screenshot shows what a test waits for.
using ShotTest = std::function<bool(const Screenshot&)>;

class ProgramWindowTest : public testing::Test {
 protected:
  static constexpr char kTitle[] = "TR417 - Clashmoor - Orvane - Tessik";
  // Generous: the sanitizer build on a software renderer starts and draws slowly. Bounds, not
  // expectations: every wait ends as soon as its condition holds.
  static constexpr double kStartSeconds = 60.0;
  static constexpr double kWaitSeconds = 45.0;

  void TearDown() override;

  // Starts the program from its build folder, where its images are linked, and waits for its
  // window; a failure says which of the two did not come.
  void StartInBuildFolder(const std::vector<std::string>& arguments);
  // Screenshots until one passes the test, and returns it; the last one taken and a failure
  // naming what never showed otherwise.
  Screenshot WaitFor(const ShotTest& test, const std::string& what);

  VirtualDisplay display;
  std::unique_ptr<ProgramProcess> process;
  Window window = 0;
  Screenshot lastShot;
};

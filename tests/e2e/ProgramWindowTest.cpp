// The window program's fixture: start, screenshots awaited, the failed test's last one kept.
#include "tests/e2e/ProgramWindowTest.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "tests/e2e/ShotAnalysis.h"

void ProgramWindowTest::TearDown() {
  if (!HasFailure() || lastShot.rgb.empty()) return;
  const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::filesystem::path path = std::filesystem::temp_directory_path() / ("battlesim-e2e-" + name + ".ppm");
  if (shots::SavePpm(lastShot, path.string())) std::cout << "last screenshot: " << path.string() << "\n";
}

void ProgramWindowTest::StartInBuildFolder(const std::vector<std::string>& arguments) {
  ASSERT_TRUE(display.IsOpen()) << "no private X server (is Xvfb installed?)";
  const std::filesystem::path program(BATTLESIM_PROGRAM);
  process =
      std::make_unique<ProgramProcess>(program.string(), program.parent_path().string(), display.Name(), arguments);
  window = display.WaitForWindow(kTitle, kStartSeconds);
  ASSERT_NE(window, 0u) << "the window did not appear";
}

Screenshot ProgramWindowTest::WaitFor(const ShotTest& test, const std::string& what) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kWaitSeconds);
  do {
    lastShot = display.Capture(window);
    if (test(lastShot)) return lastShot;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  ADD_FAILURE() << "never saw: " << what;
  return lastShot;
}

// Studies run on several threads write what one thread writes, seed by seed, and stop on an interrupt.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/HeadlessRunner.h"
#include "app/SeedStudy.h"
#include "platform/Interrupt.h"

namespace {
// The study's output with the summary's timings, which are measurements, taken out.
std::string StudyOutput(const std::vector<std::string>& arguments, int jobs, int* status = nullptr) {
  HeadlessOptions options;
  std::string error;
  EXPECT_EQ(CommandLine::ParseHeadless(arguments, options, error), CommandLine::Outcome::Run) << error;
  options.jobs = jobs;
  std::ostringstream out;
  const int exitStatus = SeedStudy(options, Scenario{}).Run(out, nullptr);
  if (status != nullptr) *status = exitStatus;
  static const std::regex timings(
      R"(,"sim_per_wall":[0-9.]+,"step_us":\{[^}]*\}|; [0-9.]+ simulated seconds per wall second; step per frame: [^;]*)");
  return std::regex_replace(out.str(), timings, "");
}
}  // namespace

TEST(SeedStudy, TwoThreadsWriteWhatOneWritesForAStudyAndAShard) {
  for (const std::vector<std::string>& study :
       {std::vector<std::string>{"--seeds", "1-3", "--json"}, {"--seeds", "1-5", "--shard", "1/2"}}) {
    const std::string oneThread = StudyOutput(study, 1);
    EXPECT_EQ(StudyOutput(study, 2), oneThread);
    EXPECT_EQ(oneThread.find("wall"), std::string::npos) << oneThread;
  }
}

TEST(SeedStudy, AnInterruptStopsEveryThreadWithTheSummaryMarkedInterrupted) {
  Interrupt::Watch();
  std::raise(SIGINT);
  int status = -1;
  const std::string output = StudyOutput({"--seeds", "1-4", "--json"}, 2, &status);
  Interrupt::Clear();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  EXPECT_EQ(status, HeadlessRunner::kInterruptedStatus);
  EXPECT_EQ(output.rfind("{\"summary\":true,\"seeds\":\"1-4\",\"finished\":0,", 0), 0u) << output;
  EXPECT_NE(output.find(",\"interrupted\":true"), std::string::npos) << output;
}

// Studies run on several threads write what one thread writes, seed by seed, and stop on an interrupt.
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/run/RunSummary.h"
#include "app/setup/HeadlessOptions.h"
#include "app/study/SeedStudy.h"
#include "platform/Interrupt.h"

namespace {
// The summary without its rate and step times: "; 374.6 simulated seconds ... max 4909.2 us" in
// text, ',"sim_per_wall":374.6,"step_us":{...}' in JSON. Left whole when they are not found.
std::string WithoutTimings(std::string text) {
  const bool json = text.find("{\"summary\"") != std::string::npos;
  const std::size_t from = json ? text.find(",\"sim_per_wall\":")
                                : text.rfind("; ", text.find(" simulated seconds per wall second"));
  if (from == std::string::npos) return text;
  const std::size_t to = json ? text.find('}', from) + 1 : text.find("; ", text.find(" us, max ", from) + 1);
  return to > from && to <= text.size() ? text.erase(from, to - from) : text;
}

// The study's output with the summary's timings, which are measurements, taken out.
std::string StudyOutput(const std::vector<std::string>& arguments, int jobs, int* status = nullptr) {
  HeadlessOptions options;
  std::string error;
  EXPECT_EQ(CommandLine::ParseHeadless(arguments, options, error), CommandLine::Outcome::Run) << error;
  options.jobs = jobs;
  std::ostringstream out;
  const int exitStatus = SeedStudy(options, Scenario{}).Run(out, nullptr);
  if (status != nullptr) *status = exitStatus;
  return WithoutTimings(out.str());
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
  EXPECT_EQ(status, RunSummary::kInterruptedStatus);
  EXPECT_EQ(output.rfind("{\"summary\":true,\"seeds\":\"1-4\",\"finished\":0,", 0), 0u) << output;
  EXPECT_NE(output.find(",\"interrupted\":true"), std::string::npos) << output;
}

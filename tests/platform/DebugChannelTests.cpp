// The debugger output channel hands text whole to an installed sink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DebugChannel.h"

namespace {
std::vector<std::string> received;
void Collect(std::string_view text) { received.emplace_back(text); }
}  // namespace

TEST(DebugChannel, SinkReceivesEachTextWholeAndInOrder) {
  received.clear();
  DebugChannel::SetSink(&Collect);
  DebugChannel::Output("Loading\nline two\n");
  DebugChannel::Output("");
  DebugChannel::Output("done");
  DebugChannel::SetSink(nullptr);
  EXPECT_EQ(received, (std::vector<std::string>{"Loading\nline two\n", "", "done"}));
}

TEST(DebugChannel, NullSinkRestoresStandardError) {
  received.clear();
  DebugChannel::SetSink(&Collect);
  DebugChannel::SetSink(nullptr);
  testing::internal::CaptureStderr();
  DebugChannel::Output("to stderr");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr");
  EXPECT_TRUE(received.empty());
}

// The debug stream: text reaches the debugger channel whole at each flush and when the stream
// is destroyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DebugChannel.h"
#include "statemachine/DebugStream.h"

namespace {
std::vector<std::string> sent;
void Collect(std::string_view text) { sent.emplace_back(text); }

class DebugStream : public ::testing::Test {
 protected:
  void SetUp() override {
    sent.clear();
    DebugChannel::SetSink(&Collect);
  }
  void TearDown() override { DebugChannel::SetSink(nullptr); }
};

TEST_F(DebugStream, FlushSendsTheTextInOneCall) {
  dostream stream;
  stream << "Calculating Normals: ";
  EXPECT_TRUE(sent.empty());
  stream.flush();
  EXPECT_EQ(sent, std::vector<std::string>{"Calculating Normals: "});
}

TEST_F(DebugStream, EverythingSinceTheLastFlushGoesTogether) {
  dostream stream;
  stream << "Calculating Normals: " << 50 << "%\n"
         << "line two";
  stream << std::endl;
  EXPECT_EQ(sent, std::vector<std::string>{"Calculating Normals: 50%\nline two\n"});
}

TEST_F(DebugStream, SecondFlushWithNothingWrittenSendsEmptyText) {
  dostream stream;
  stream << "Loading";
  stream.flush();
  stream.flush();
  EXPECT_EQ(sent, (std::vector<std::string>{"Loading", ""}));
}

TEST_F(DebugStream, UnflushedTextIsSentWhenTheStreamIsDestroyed) {
  {
    dostream stream;
    stream << "Terrain loaded";
  }
  EXPECT_EQ(sent, std::vector<std::string>{"Terrain loaded"});
}

}  // namespace

// Debugger output channel on Linux: standard error unless a sink is installed.
#include "platform/DebugChannel.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<DebugChannel::Sink> currentSink{nullptr};
}  // namespace

void DebugChannel::Output(std::string_view text) {
  if (const DebugChannel::Sink sink = currentSink.load(); sink != nullptr) {
    sink(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

DebugChannel::Sink DebugChannel::SetSink(Sink sink) { return currentSink.exchange(sink); }

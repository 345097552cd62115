// Debugger output channel on Linux: standard error unless a sink is installed.
#include "platform/DebugChannel.h"

#include <cstdio>

namespace {
DebugChannel::Sink currentSink = nullptr;
}  // namespace

void DebugChannel::Output(std::string_view text) {
  if (currentSink != nullptr) {
    currentSink(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void DebugChannel::SetSink(Sink sink) { currentSink = sink; }

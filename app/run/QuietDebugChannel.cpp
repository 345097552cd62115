// The debug channel silenced for as long as any scope wants it so.
#include "app/run/QuietDebugChannel.h"

#include <mutex>
#include <string_view>

#include "platform/DebugChannel.h"

namespace {
void DiscardDebugText(std::string_view /*text*/) {}

std::mutex scopesMutex;
int openScopes = 0;
DebugChannel::Sink sinkBefore = nullptr;
}  // namespace

QuietDebugChannel::QuietDebugChannel() {
  const std::lock_guard lock(scopesMutex);
  if (openScopes++ == 0) sinkBefore = DebugChannel::SetSink(DiscardDebugText);
}

QuietDebugChannel::~QuietDebugChannel() {
  const std::lock_guard lock(scopesMutex);
  if (--openScopes == 0) DebugChannel::SetSink(sinkBefore);
}

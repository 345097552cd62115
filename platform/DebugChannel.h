// The debugger output channel: text handed to it arrives whole and in order on standard error,
// or at a sink that tests and the headless runner install instead.
#pragma once

#include <string_view>

class DebugChannel {
 public:
  // A plain function pointer, so that streams flushed during static destruction at exit never
  // meet a destroyed sink.
  using Sink = void (*)(std::string_view text);

  static void Output(std::string_view text);
  // A null sink restores standard error. Returns the sink it replaces, for scopes that put it back
  // (the sink is shared by every thread: battles of a study run side by side).
  static Sink SetSink(Sink sink);
};

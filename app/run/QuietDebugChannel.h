// Keeps the debug channel's text (the terrain's loading lines, the window program's diagnostics)
// off standard error while a batch run writes its own progress there.
#pragma once

class QuietDebugChannel {
 public:
  // Scopes may overlap on several threads (the seeds of a study running side by side): the
  // channel is quiet from the first one's start to the last one's end, then as it was before.
  QuietDebugChannel();
  ~QuietDebugChannel();
  QuietDebugChannel(const QuietDebugChannel&) = delete;
  QuietDebugChannel& operator=(const QuietDebugChannel&) = delete;
};

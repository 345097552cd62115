// A listener for the trace records of chosen units, served while the trace log's switch is off:
// the window's unit inspector and the headless runner's trace of named units.
#pragma once

#include <string>

struct TraceRecord;

class TraceWatcher {
 public:
  virtual ~TraceWatcher() = default;
  // Asked before a record is made, so units nobody watches cost no record.
  virtual bool Watches(const std::string& ownerName) const = 0;
  // Only the records the trace log prints (state changes, handled events other than updates,
  // unhandled messages) reach here.
  virtual void Take(const TraceRecord& record) = 0;
};

// Records what the machines do: each handled or unhandled event and each applied state change,
// printed as one line, while its trace switch is on; state changes are always counted.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "statemachine/Message.h"

class Timer;
class TraceWatcher;

struct TraceRecord {
  char ownerName[256] = {};
  bool handled = false;
  float time = -1.0f;
  char stateText[64] = {};
  char substateText[64] = {};
  char eventText[64] = {};
  bool hasMessage = false;
  std::string receiver;
  std::string sender;
  int data = 0;
};

class TraceLog {
 public:
  static constexpr std::size_t kCapacity = 200;

  // Stamps the records with the clock's time; the clock outlives the log.
  explicit TraceLog(const Timer& clock);
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;

  // Whether events are recorded at all; callers skip preparing a record's text when not.
  bool TracingEnabled() const { return enabled; }
  // Whether any record may be made: tracing is on or a watcher listens. The one test every event
  // pays while neither is the case.
  bool Recording() const { return enabled || watcher != nullptr; }

  // Records of the watcher's units go to it (not to standard output nor to the log) while tracing
  // is off. Null stops watching; the watcher must outlive its registration.
  void Watch(TraceWatcher* listener) { watcher = listener; }

  // eventText is the event's or message's name when handled, the event number when not.
  void LogEvent(const std::string& ownerName, const Message* msg, const char* stateText, const char* substateText,
                const char* eventText, bool handled);
  void LogStateChange(const std::string& ownerName, int state, int substate);
  // Writes the record as one line on standard output.
  static void Print(const TraceRecord& record);
  static std::string FormatLine(const TraceRecord& record);

  // Names the ids from kFirstFreeMessageId on, in order, for this log's records: machines made
  // outside the simulation (the tests') bring messages of their own. The names must outlive the log.
  void NameFreeMessages(std::vector<const char*> names) { freeMessageNames = std::move(names); }
  // The name a record gives the id: the vocabulary's, a free id's given name, or "Invalid".
  const char* NameOf(int messageId) const;

  const std::deque<TraceRecord>& Records() const { return records; }
  // Takes over the other log's switch, count, records and free names, as a copied battle's log. Not its
  // watcher, which goes on watching the other.
  void CopyFrom(const TraceLog& other);

  // The trace switch: off at start.
  bool enabled = false;
  // Every applied state change since the log was made, traced or not.
  int stateChanges = 0;

 private:
  void Append(TraceRecord&& record);
  bool Watched(const std::string& ownerName) const;
  // Records made while tracing is off are the watcher's.
  void Keep(TraceRecord&& record, bool printed, bool tracing);

  const Timer& clock;
  std::deque<TraceRecord> records;
  std::vector<const char*> freeMessageNames;
  TraceWatcher* watcher = nullptr;
};

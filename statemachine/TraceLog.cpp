// Trace records, their 200-record window and their printed form.
#include "statemachine/TraceLog.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/Timer.h"
#include "statemachine/TraceWatcher.h"

namespace {
template <std::size_t N>
void CopyText(char (&target)[N], const char* source) {
  std::strncpy(target, source != nullptr ? source : "", N - 1);
  target[N - 1] = '\0';
}

const char* DecodeEventNumber(const char* eventText, const char* messageName) {
  switch (eventText[0]) {
    case '1': return "EVENT_Update";
    case '2': return messageName != nullptr ? messageName : "INVALID_EVENT";
    case '3': return "EVENT_CCMessage";
    case '4': return "EVENT_Enter";
    case '5': return "EVENT_Exit";
    default: return "INVALID_EVENT";
  }
}
}  // namespace

TraceLog::TraceLog(const Timer& timer) : clock(timer) {}

void TraceLog::CopyFrom(const TraceLog& other) {
  enabled = other.enabled;
  stateChanges = other.stateChanges;
  records = other.records;
  freeMessageNames = other.freeMessageNames;
}

const char* TraceLog::NameOf(int messageId) const {
  const auto freeIndex = static_cast<std::size_t>(messageId - kFirstFreeMessageId);
  if (messageId >= kFirstFreeMessageId && freeIndex < freeMessageNames.size()) return freeMessageNames[freeIndex];
  return MessageName(messageId);
}

bool TraceLog::Watched(const std::string& ownerName) const {
  return watcher != nullptr && watcher->Watches(ownerName);
}

void TraceLog::LogEvent(const std::string& ownerName, const Message* msg, const char* stateText,
                        const char* substateText, const char* eventText, bool handled) {
  const bool tracing = TracingEnabled();
  if (!tracing && !Watched(ownerName)) return;
  if (msg != nullptr && (msg->id == MSG_CHANGE_STATE_DELAYED || msg->id == MSG_CHANGE_SUBSTATE_DELAYED)) {
    return;
  }
  if (eventText == nullptr) eventText = "";
  TraceRecord record;
  CopyText(record.ownerName, ownerName.c_str());
  record.handled = handled;
  record.time = clock.now;
  CopyText(record.stateText, stateText);
  CopyText(record.substateText, substateText);
  CopyText(record.eventText, handled ? eventText : DecodeEventNumber(eventText, msg != nullptr ? NameOf(msg->id) : nullptr));
  if (msg != nullptr) {
    record.hasMessage = true;
    record.receiver = msg->receiver;
    record.sender = msg->sender;
    record.data = msg->dataType == DATA_Integer ? msg->data : 0;
  }
  const bool printable = handled || eventText[0] == '2';
  const bool printed = printable && std::strcmp(record.eventText, "EVENT_Update") != 0;
  Keep(std::move(record), printed, tracing);
}

void TraceLog::LogStateChange(const std::string& ownerName, int state, int substate) {
  ++stateChanges;
  const bool tracing = TracingEnabled();
  if (!tracing && !Watched(ownerName)) return;
  TraceRecord record;
  CopyText(record.ownerName, ownerName.c_str());
  record.handled = true;
  record.time = clock.now;
  std::snprintf(record.stateText, sizeof record.stateText, "%d", state);
  std::snprintf(record.substateText, sizeof record.substateText, "%d", substate);
  CopyText(record.eventText, "STATE_CHANGE");
  Keep(std::move(record), true, tracing);
}

// With tracing on, the log and standard output get every record as they always did.
void TraceLog::Keep(TraceRecord&& record, bool printed, bool tracing) {
  if (!tracing) {
    if (printed) watcher->Take(record);
    return;
  }
  if (printed) Print(record);
  Append(std::move(record));
}

void TraceLog::Append(TraceRecord&& record) {
  records.push_back(std::move(record));
  if (records.size() > kCapacity) records.pop_front();
}

std::string TraceLog::FormatLine(const TraceRecord& record) {
  const char* statePart = record.stateText[0] != '\0' ? record.stateText : record.substateText;
  char head[512];
  std::snprintf(head, sizeof head, "%.3f-%s %s:%s ", static_cast<double>(record.time), record.ownerName, statePart,
                record.eventText);
  std::string line = head;
  if (record.hasMessage) {
    line += "from:" + record.sender + " to:" + record.receiver + " data:" + std::to_string(record.data) + " ";
  }
  line += record.handled ? "\n" : "(not handled)\n";
  return line;
}

void TraceLog::Print(const TraceRecord& record) {
  const std::string line = FormatLine(record);
  std::fputs(line.c_str(), stdout);
}

// The recording stand-in machine.
#include "tests/support/RecordingSM.h"

#include <algorithm>

bool RecordingSM::HandleEvent(int event, Message* msg, int, int) {
  if (event == EVENT_Message && msg != nullptr) received.push_back(*msg);
  return true;
}

int RecordingSM::Count(int id) const {
  return static_cast<int>(
      std::count_if(received.begin(), received.end(), [id](const Message& m) { return m.id == id; }));
}

// The program's interrupt handler for the length of a run.
#include "app/python/InterruptScope.h"

#include <atomic>

#include "platform/Interrupt.h"

namespace {
// Lock-free, so the handler may set it.
std::atomic<bool> terminationRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// SIGTERM stops the run as Ctrl-C does, and is then raised again for Python's own disposition.
extern "C" void NoteTermination(int /*signal*/) {
  terminationRequested = true;
  Interrupt::Request();
}
}  // namespace

InterruptScope::InterruptScope(bool watch) : watching(watch) {
  if (!watching) return;
  sigaction(SIGINT, nullptr, &savedInterrupt);
  sigaction(SIGTERM, nullptr, &savedTerminate);
  Interrupt::Clear();
  Interrupt::Watch();
  terminationRequested = false;
  std::signal(SIGTERM, NoteTermination);
}

InterruptScope::~InterruptScope() {
  if (!watching) return;
  sigaction(SIGINT, &savedInterrupt, nullptr);
  sigaction(SIGTERM, &savedTerminate, nullptr);
  Interrupt::Clear();
  // A process asked to end ends as it would have without the run (by default, at once).
  if (terminationRequested.exchange(false)) std::raise(SIGTERM);
}

bool InterruptScope::Interrupted() const { return watching && Interrupt::Requested(); }

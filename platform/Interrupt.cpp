// Interrupt requests through POSIX signals.
#include "platform/Interrupt.h"

#include <atomic>
#include <csignal>

namespace {
// Lock-free, so the handler may set it; atomic, so the threads of a study all see it.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void NoteInterrupt(int /*signal*/) { requested = true; }
}  // namespace

void Interrupt::Watch() {
  std::signal(SIGINT, NoteInterrupt);
  std::signal(SIGTERM, NoteInterrupt);
}

bool Interrupt::Requested() { return requested; }

void Interrupt::Request() { requested = true; }

void Interrupt::Clear() { requested = false; }

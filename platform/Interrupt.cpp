// Interrupt requests through POSIX signals.
#include "platform/Interrupt.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t requested = 0;

extern "C" void NoteInterrupt(int /*signal*/) { requested = 1; }
}  // namespace

void Interrupt::Watch() {
  std::signal(SIGINT, NoteInterrupt);
  std::signal(SIGTERM, NoteInterrupt);
}

bool Interrupt::Requested() { return requested != 0; }

void Interrupt::Clear() { requested = 0; }

// The program's interrupt handler for the length of a run.
#include "app/python/InterruptScope.h"

#include "platform/Interrupt.h"

InterruptScope::InterruptScope(bool watch) : watching(watch) {
  if (!watching) return;
  sigaction(SIGINT, nullptr, &savedInterrupt);
  sigaction(SIGTERM, nullptr, &savedTerminate);
  Interrupt::Clear();
  Interrupt::Watch();
}

InterruptScope::~InterruptScope() {
  if (!watching) return;
  sigaction(SIGINT, &savedInterrupt, nullptr);
  sigaction(SIGTERM, &savedTerminate, nullptr);
  Interrupt::Clear();
}

bool InterruptScope::Interrupted() const { return watching && Interrupt::Requested(); }

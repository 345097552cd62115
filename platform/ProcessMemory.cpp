// Reads the resident set from Linux's /proc; other systems report none.
#include "platform/ProcessMemory.h"

#include <unistd.h>

#include <fstream>

long ProcessMemory::ResidentKilobytes() {
  std::ifstream statm("/proc/self/statm");
  long totalPages = 0;
  long residentPages = 0;
  if (!(statm >> totalPages >> residentPages)) return -1;
  const long pageBytes = sysconf(_SC_PAGESIZE);
  return pageBytes > 0 ? residentPages * (pageBytes / 1024) : -1;
}

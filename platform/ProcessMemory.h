// The operating system's view of this process's memory, for long runs that watch for growth.
#pragma once

class ProcessMemory {
 public:
  // Resident set size in KiB, or -1 where the system does not tell.
  static long ResidentKilobytes();
};

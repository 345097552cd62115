// Kill totals add up across the seeds of a study and the shards of a merge.
#include "app/run/KillTotals.h"

#include <cstddef>

KillTotals& KillTotals::operator+=(const KillTotals& more) {
  for (std::size_t type = 0; type < byType.size(); ++type) byType[type] += more.byType[type];
  return *this;
}

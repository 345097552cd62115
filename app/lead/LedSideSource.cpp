// Leading every battle of a side from one book.
#include "app/lead/LedSideSource.h"

#include "app/lead/LedSide.h"

std::unique_ptr<Commander> LedSideSource::ForBattle(Battle& battle, int team) const {
  return std::make_unique<LedSide>(battle, team, *book);
}

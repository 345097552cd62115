// The win/loss (Bernoulli) form of the test, as engine testers run it on won and lost games.
#include "app/tournament/Sprt.h"

#include <cassert>
#include <cmath>

double Sprt::WinChanceH1() { return 1.0 / (1.0 + std::pow(10.0, -kElo1 / 400.0)); }

double Sprt::LowerBound() { return std::log(kBeta / (1.0 - kAlpha)); }

double Sprt::UpperBound() { return std::log((1.0 - kBeta) / kAlpha); }

// From the counts rather than summed game by game, so that the ratio does not depend on the
// order the games came in.
double Sprt::Llr() const {
  const double p1 = WinChanceH1();
  return wins * std::log(p1 / 0.5) + losses * std::log((1.0 - p1) / 0.5);
}

void Sprt::EndSeed() {
  assert(decision == Decision::Undecided && "a decided pair plays no more seeds");
  ++seeds;
  const double llr = Llr();
  if (llr >= UpperBound()) {
    decision = Decision::H1;
  } else if (llr <= LowerBound()) {
    decision = Decision::H0;
  }
}

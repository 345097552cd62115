// The sequential probability ratio test a pair of strategies plays under until it is decided: H0,
// the first strategy is no better than the second (Elo 0), against H1, it is stronger by 20 Elo,
// on the games won and lost, with both error rates at 5%.
#pragma once

class Sprt {
 public:
  static constexpr double kAlpha = 0.05;
  static constexpr double kBeta = 0.05;
  static constexpr double kElo1 = 20.0;

  enum class Decision { Undecided, H0, H1 };

  // The first strategy's chance of winning a game under H1: 1 / (1 + 10^(-20/400)); under H0 one half.
  static double WinChanceH1();
  static double LowerBound();  // log(beta / (1 - alpha)): at or below it H0 is accepted
  static double UpperBound();  // log((1 - beta) / alpha): at or above it H1 is accepted

  // One game from the first strategy's side. An unfinished game counts among the games played
  // but leaves the ratio as it is: it says nothing about which strategy is stronger.
  void AddWin() { ++wins, ++games; }
  void AddLoss() { ++losses, ++games; }
  void AddUnfinished() { ++games; }
  // Called after both games of a seed: the test stops at the first seed that takes the log
  // likelihood ratio to a bound, so both sides of a seed always count together.
  void EndSeed();

  double Llr() const;
  Decision Result() const { return decision; }
  // Games and seeds played up to the decision (or so far, while undecided).
  int Games() const { return games; }
  int Seeds() const { return seeds; }

 private:
  int wins = 0;
  int losses = 0;
  int games = 0;
  int seeds = 0;
  Decision decision = Decision::Undecided;
};

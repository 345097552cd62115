// Sine, cosine, arc tangent, exponential and logarithm computed from the four basic operations
// alone, so that a seeded battle and a strategy script get the same bits on every processor and
// C library: the C library's own versions may round the last bit differently from one machine to
// the next. Each is within about one unit in the last place of double precision, so results
// rounded to float nearly always equal the correctly rounded ones.
#pragma once

class PortableMath {
 public:
  static double Sin(double x);
  static double Cos(double x);
  static double Tan(double x);
  static double Atan(double x);
  static double Atan2(double y, double x);
  static double Asin(double x);
  static double Acos(double x);
  static double Exp(double x);
  static double Log(double x);

 private:
  // The angle less the nearest multiple of pi/2, and that multiple's count modulo 4.
  struct Reduced {
    double r;
    int quadrant;
  };
  static Reduced ReduceByHalfPi(double x);
  static double SinKernel(double x);
  static double CosKernel(double x);
  static double AtanOfNonNegative(double x);
};

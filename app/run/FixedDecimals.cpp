// printf's rounding rather than a stream's, whose output follows the locale it was given.
#include "app/run/FixedDecimals.h"

#include <cstdio>

std::string FixedDecimals(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

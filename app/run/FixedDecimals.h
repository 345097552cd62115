// Numbers in reports as a fixed count of decimals, the same text on every machine and locale.
#pragma once

#include <string>

std::string FixedDecimals(double value, int decimals);

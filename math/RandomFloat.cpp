// Random float on the program's one generator.
#include "math/RandomFloat.h"

#include "platform/Random.h"

float RandomFloat() { return static_cast<float>(platform::Rand()) / 32767.0f; }

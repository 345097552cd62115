// Random float on a battle's generator.
#include "math/RandomFloat.h"

#include "platform/Random.h"

float RandomFloat(platform::Random& random) { return static_cast<float>(random.Rand()) / 32767.0f; }

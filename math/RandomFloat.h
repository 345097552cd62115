// The random float shared by every weighted draw of the simulation.
#pragma once

namespace platform {
class Random;
}

// A float in [0, 1], both ends reachable: Rand() / 32767.
float RandomFloat(platform::Random& random);

// A linear congruential generator with 15-bit output, the classic one of C runtimes, kept
// here so that a seed gives the same sequence on every platform and runtime.
#include "scene/random.h"

void seedRandom(RandomDraws& draws, uint32_t seed) { draws.state = seed; }

int nextRandom(RandomDraws& draws) {
  draws.state = draws.state * 214013u + 2531011u;
  return static_cast<int>((draws.state >> 16) & 0x7FFFu);
}

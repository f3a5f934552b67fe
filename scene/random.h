// The pseudo-random generator of the ball set-up, one per scene. Our own, so that the same
// seed gives the same draws on Linux and on Windows.
#pragma once

#include <cstdint>

constexpr int randomMax = 32767;

// One sequence of draws.
struct RandomDraws {
  uint32_t state = 1;
};

// Restarts the sequence from seed.
void seedRandom(RandomDraws& draws, uint32_t seed);
void seedRandom(uint32_t seed);  // the saver's scene

// Next integer, uniform over 0 to randomMax inclusive.
int nextRandom(RandomDraws& draws);
int nextRandom();  // the saver's scene

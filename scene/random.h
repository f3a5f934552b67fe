// The process-wide pseudo-random generator of the ball set-up. Our own, so that the same
// seed gives the same draws on Linux and on Windows.
#pragma once

#include <cstdint>

constexpr int randomMax = 32767;

// Restarts the sequence from seed.
void seedRandom(uint32_t seed);

// Next integer, uniform over 0 to randomMax inclusive.
int nextRandom();

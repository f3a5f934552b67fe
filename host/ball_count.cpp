// The ball-count rule of the configuration dialog: the store only ever gets 1 to 20.
#include "host/ball_count.h"

#include <algorithm>

uint32_t ballCountFromText(const char* text, uint32_t lastValidPosition) {
  const uint32_t fallback = std::clamp(lastValidPosition, fewestBalls, mostBalls);
  const char* c = text;
  while (*c == ' ') ++c;
  const bool negative = *c == '-';
  if (negative || *c == '+') ++c;
  if (*c < '0' || *c > '9') return fallback;
  uint32_t value = 0;
  bool large = false;
  for (; *c >= '0' && *c <= '9'; ++c) {
    value = value * 10 + static_cast<uint32_t>(*c - '0');
    if (value > mostBalls) large = true;  // stop caring once past the top; no overflow
    if (large) value = mostBalls + 1;
  }
  while (*c == ' ') ++c;
  if (*c != '\0') return fallback;
  if (negative) return fewestBalls;
  return std::clamp(value, fewestBalls, mostBalls);
}

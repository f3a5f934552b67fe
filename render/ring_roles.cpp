// The ghosting ring's role indices and pass count, and the rule that turns the ring.
#include "render/ring_roles.h"

int ancientIndex = 0;
int lastIndex = 1;
int curIndex = 2;
int nextIndex = 3;
uint32_t ringPassCount = 1;  // not 0: with two priming passes the first turn is frame six

bool ringTurnsOnPass(uint32_t count) { return count % ringPassesPerTurn == 0; }

void turnRing() {
  const int oldAncient = ancientIndex;
  ancientIndex = lastIndex;
  lastIndex = curIndex;
  curIndex = nextIndex;
  nextIndex = oldAncient;
}

int takeRingPass() {
  // The test comes before the increase: the pass that carries count 8 is the one that turns.
  if (ringTurnsOnPass(ringPassCount)) turnRing();
  ++ringPassCount;  // unsigned: wraps to 0, itself a multiple of 8
  return nextIndex;
}

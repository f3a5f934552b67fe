// The ghosting ring's role indices and pass count, and the rule that turns the ring.
#include "render/ring_roles.h"

int ancientIndex = 0;
int lastIndex = 1;
int curIndex = 2;
int nextIndex = 3;
uint32_t ringPassCount = 1;  // not 0: with two priming passes the first turn is frame six

// True for counts that are multiples of the passes per turn.
bool ringTurnsOnPass(uint32_t count) { return count % ringPassesPerTurn == 0; }

// Moves every role one slot on; the old ancient slot becomes the one drawn into.
void turnRing() {
  const int oldAncient = ancientIndex;
  ancientIndex = lastIndex;
  lastIndex = curIndex;
  curIndex = nextIndex;
  nextIndex = oldAncient;
}

// Turns on a multiple of 8, then counts the pass; the slot to draw into.
int takeRingPass() {
  // The test comes before the increase: the pass that carries count 8 is the one that turns.
  if (ringTurnsOnPass(ringPassCount)) turnRing();
  ++ringPassCount;  // unsigned: wraps to 0, itself a multiple of 8
  return nextIndex;
}

void ringRoleSlots(int (&slots)[4]) {
  slots[0] = ancientIndex;
  slots[1] = lastIndex;
  slots[2] = curIndex;
  slots[3] = nextIndex;
}

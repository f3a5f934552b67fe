// The ghosting ring's rule that turns it.
#include "render/ghosting/ring_roles.h"

// True for counts that are multiples of the passes per turn.
bool ringTurnsOnPass(uint32_t count) { return count % ringPassesPerTurn == 0; }

// Moves every role one slot on; the old ancient slot becomes the one drawn into.
void turnRing(RingRoles& roles) {
  const int oldAncient = roles.ancient;
  roles.ancient = roles.last;
  roles.last = roles.cur;
  roles.cur = roles.next;
  roles.next = oldAncient;
}

// Turns on a multiple of 8, then counts the pass; the slot to draw into.
int takeRingPass(RingRoles& roles) {
  // The test comes before the increase: the pass that carries count 8 is the one that turns.
  if (ringTurnsOnPass(roles.passCount)) turnRing(roles);
  ++roles.passCount;  // unsigned: wraps to 0, itself a multiple of 8
  return roles.next;
}

void ringRoleSlots(const RingRoles& roles, int (&slots)[4]) {
  slots[0] = roles.ancient;
  slots[1] = roles.last;
  slots[2] = roles.cur;
  slots[3] = roles.next;
}

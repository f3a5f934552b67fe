// The ghosting ring's bookkeeping: which of the four texture slots plays which role, and the
// pass count that turns the ring on every 8th pass. Portable, so the rhythm is tested natively.
#pragma once

#include <cstdint>

// Role indices, always a permutation of 0..3. Not reset when the ring is released.
struct RingRoles {
  int ancient = 0;             // slot of the oldest frame (weight 0.08)
  int last = 1;                // slot of the second-oldest frame (weight 0.12)
  int cur = 2;                 // slot of the previous snapshot (weight 0.20)
  int next = 3;                // slot the metaball pass draws into (weight 0.6)
  uint32_t passCount = 1;      // passes into the ring plus one; wraps mod 2^32. Not 0: with
                               // two priming passes the first turn is frame six
};

// The Windows saver's ring, under its old names (render/saver_renderer.cpp).
extern int& ancientIndex;
extern int& lastIndex;
extern int& curIndex;
extern int& nextIndex;
extern uint32_t& ringPassCount;

// Passes into the same slot before the ring turns. 2^32 is a multiple of it, so the
// rhythm survives the wrap of the pass count.
constexpr uint32_t ringPassesPerTurn = 8;

// True when a pass that starts with this count turns the ring first.
bool ringTurnsOnPass(uint32_t count);

// Moves every role one step: last becomes ancient, cur becomes last, next becomes cur and
// the old ancient slot becomes next, so the oldest frame is the one overwritten from now on.
void turnRing(RingRoles& roles);
void turnRing();  // the saver's ring

// Accounts for one pass into the ring: turns it when the count says so, then counts the
// pass. Returns the slot to draw into (next afterwards).
int takeRingPass(RingRoles& roles);
int takeRingPass();  // the saver's ring

// The slot of each role in the order ancient, last, cur, next (the blend's units 0 to 3).
void ringRoleSlots(const RingRoles& roles, int (&slots)[4]);
void ringRoleSlots(int (&slots)[4]);  // the saver's ring

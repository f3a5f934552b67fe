// The ghosting ring's bookkeeping: which of the four texture slots plays which role, and the
// pass count that turns the ring on every 8th pass. Portable, so the rhythm is tested natively.
#pragma once

#include <cstdint>

// Role indices, always a permutation of 0..3. Not reset when the ring is released.
extern int ancientIndex;         // slot of the oldest frame (weight 0.08)
extern int lastIndex;            // slot of the second-oldest frame (weight 0.12)
extern int curIndex;             // slot of the previous snapshot (weight 0.20)
extern int nextIndex;            // slot the metaball pass draws into (weight 0.6)
extern uint32_t ringPassCount;   // passes into the ring plus one; starts at 1, wraps mod 2^32

// Passes into the same slot before the ring turns. 2^32 is a multiple of it, so the
// rhythm survives the wrap of ringPassCount.
constexpr uint32_t ringPassesPerTurn = 8;

// True when a pass that starts with this count turns the ring first.
bool ringTurnsOnPass(uint32_t count);

// Moves every role one step: last becomes ancient, cur becomes last, next becomes cur and
// the old ancient slot becomes next, so the oldest frame is the one overwritten from now on.
void turnRing();

// Accounts for one pass into the ring: turns it when the count says so, then counts the
// pass. Returns the slot to draw into (nextIndex afterwards).
int takeRingPass();

// The slot of each role in the order ancient, last, cur, next (the blend's units 0 to 3).
void ringRoleSlots(int (&slots)[4]);

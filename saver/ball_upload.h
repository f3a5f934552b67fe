// The simulation step as the frame clock runs it: the balls move, then their centres go to
// the metaball program.
#pragma once

// One simulation step: moveBalls, then the metaball program current and the 20 centres
// uploaded as "ball".
void stepBalls(float dt);

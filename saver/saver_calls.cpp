// The Windows saver's frame tick and step without arguments: each acts on its one renderer
// and scene, as the saver's code and tests have always called them.
#include "saver/ball_upload.h"
#include "saver/frame_tick.h"

void stepBalls(float dt) { stepBalls(saverRenderer, saverScene, dt); }
void advanceSimulation(float elapsed) { advanceSimulation(saverRenderer, saverScene, elapsed); }
bool runFrameTick(uint32_t now) { return runFrameTick(saverRenderer, saverScene, now); }

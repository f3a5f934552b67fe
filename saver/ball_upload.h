// The simulation step as the frame clock runs it: the balls move, then their centres go to
// the metaball program.
#pragma once

#include "render/renderer.h"
#include "scene/scene.h"

// One simulation step of scene: moveBalls, then the renderer's metaball program current and
// the 20 centres uploaded as "ball".
void stepBalls(Renderer& renderer, Scene& scene, float dt);
void stepBalls(float dt);  // the Windows saver's

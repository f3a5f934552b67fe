// One scene: everything a surface's simulation holds (settings, drawing size, random draws,
// balls, frame clock) in one plain value, so that every surface of a process has its own.
#pragma once

#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

struct Scene {
  SaverSettings settings{};  // what the scene draws, fixed from its start
  ClientRect rect{};         // the drawing size; the balls keep inside it
  RandomDraws random;        // the start's draws
  BallSet balls;
  FrameClock clock;
};

// The Windows saver's one scene: its contract is one saver window a process. The functions
// without a scene argument and the old names (saverSettings, ballPos, clientRect ...) act on it.
extern Scene saverScene;

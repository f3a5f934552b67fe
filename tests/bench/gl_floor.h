// The GL floor as both bench drivers time it: the metaball pass and the blend pass of the
// current scene, as the frame tick draws them by the path it takes (the Windows saver's is the
// exact one), each alone between two glFinish calls; medians. Include after GL/glew.h.
#pragma once

#include <algorithm>
#include <chrono>

#include "render/field/field_pass.h"
#include "render/ghosting/ghost_blend.h"
#include "render/ghosting/ghost_ring.h"
#include "render/quad/fullscreen_quad.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"

inline double medianOf(double* values, int count) {
  std::sort(values, values + count);
  return count % 2 ? values[count / 2] : 0.5 * (values[count / 2 - 1] + values[count / 2]);
}

struct GlFloor {
  double metaballMs = 0;  // into the ring with ghosting, else into the back buffer
  double blendMs = 0;     // 0 without the ring
};

// Times each pass reps times; samples has room for reps values. Leaves the metaball
// program current, as the tick does.
inline GlFloor measureGlFloor(double* samples, int reps) {
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
  };
  const bool ghost = ghostRingActive();
  GlFloor floor;
  for (int i = 0; i < reps; ++i) {
    glFinish();
    const auto start = Clock::now();
    const GLuint target = ghost ? beginGhostFrame() : 0;
    drawMetaballPass(saverRenderer, saverScene, target,
                     ghost ? &ringPassTiles(saverRenderer.ring) : nullptr);
    glFinish();
    samples[i] = ms(start);
  }
  floor.metaballMs = medianOf(samples, reps);
  if (ghost) {
    for (int i = 0; i < reps; ++i) {
      glFinish();
      const auto start = Clock::now();
      blendGhostFrames(saverRenderer, saverScene);
      glFinish();
      samples[i] = ms(start);
    }
    floor.blendMs = medianOf(samples, reps);
  }
  metaballShader->enable(true);
  return floor;
}

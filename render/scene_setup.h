// The scene: both shader programs, the ghosting ring, the balls and the constant uniforms
// of the metaball program, built at window creation and released at its destruction.
#pragma once

#include <cstdint>
#include <string>

#include "scene/balls.h"

class zunoShader;

extern zunoShader* metaballShader;  // null before initScene and after releaseScene
extern zunoShader* ghostShader;     // null before initScene and after releaseScene
extern float blobExponent;          // 3.01 - 3 * log301(blobbiness + 1)

// Builds programs, ring (with ghosting on), balls and uniforms. May raise a shader error.
void initScene();

// Destroys both programs and deletes the ring's textures and framebuffer.
void releaseScene();

// Uploads the colours, the centres and the blob uniforms to the metaball program.
void uploadMetaballUniforms();

// Uploads falloff, blobHeight and THRESHOLD to the metaball program.
void uploadBlobUniforms();

// Each ball's fall-off as uploaded last (from its radius, fixed from the start), which the
// fast path's bound reads too.
extern float ballFalloff[BALL_SLOTS];

// Makes the picture fill a drawable of the new size: clientRect, viewport, projection and
// the ring's frames follow it; the balls keep moving, inside the new bounds from the next step.
void resizeScene(int32_t width, int32_t height);

// Text of a "GLSL_SHADER" resource of the program, such as "#126"; empty when absent
// (shader_resources_win.cpp: the module's resources; shader_resources_embedded.cpp: built in,
// the GLSL ES texts on the page).
std::string loadShaderResource(const char* name);

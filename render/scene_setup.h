// The scene's drawing: both shader programs, the ghosting ring, the balls and the constant
// uniforms of the metaball program, built at a surface's start and released at its end.
#pragma once

#include <cstdint>
#include <string>

#include "render/field/draw_quality.h"
#include "render/renderer.h"
#include "render/shaders/metaball_uniforms.h"
#include "render/shaders/shader_resources.h"
#include "scene/scene.h"

// The Windows saver's renderer, under its old names (render/saver_renderer.cpp).
extern zunoShader*& metaballShader;  // null before initScene and after releaseScene
extern zunoShader*& ghostShader;     // null before initScene and after releaseScene
extern float& blobExponent;          // 3.01 - 3 * log301(blobbiness + 1)
extern float (&ballFalloff)[BALL_SLOTS];

// Builds programs (for quality), ring (with ghosting on), balls and uniforms from the
// scene's settings and size. May raise a shader error.
void initScene(Renderer& renderer, Scene& scene, DrawQuality quality);
void initScene();  // the saver's, at its renderer's quality (exact unless set)

// Destroys both programs and deletes the ring's textures and framebuffer.
void releaseScene(Renderer& renderer);
void releaseScene();  // the saver's

// Makes the picture fill a drawable of the new size: the scene's size, viewport, projection
// and the ring's frames follow it; the balls keep moving, inside the new bounds from the
// next step.
void resizeScene(Renderer& renderer, Scene& scene, int32_t width, int32_t height);
void resizeScene(int32_t width, int32_t height);  // the saver's

// The metaball pass by one of two paths (draw_quality.h): exact, the composed metaball
// program over every pixel; or fast, the field program over a coarse grid into a float
// target and the finish program over every pixel reading it back. One float target and its
// framebuffer, made at the start and on a resize; nothing per frame.
#pragma once

#include "render/context/gl_api.h"
#include "render/field/draw_quality.h"
#include "render/renderer.h"
#include "scene/scene.h"

// The Windows saver's renderer's quality, under its old name (render/saver_renderer.cpp).
// Exact unless a host says otherwise: the Windows saver always draws exactly.
extern DrawQuality& drawQuality;

// What draws now.
DrawPath currentDrawPath(const Renderer& renderer);
DrawPath currentDrawPath();  // the saver's

// Builds the metaball program for the first path of renderer.quality (fast when asked for
// and the GL and the settings allow it; auto begins with its trial of exact), with the float
// target and the finish program that fast needs. May raise a shader error, as initScene does.
void startDrawPath(Renderer& renderer, const Scene& scene);

// The grid and the target follow the scene's size; auto tries exact again at the new size.
void resizeDrawPath(Renderer& renderer, const Scene& scene);

// Gives back the finish program, the target and its framebuffer.
void releaseDrawPath(Renderer& renderer);

// Draws from now on as quality asks (the Linux programs on battery and back), the path
// started afresh (auto with its trial); exact where the GL refuses the fast programs. The
// renderer's context current.
void switchDrawQuality(Renderer& renderer, const Scene& scene, DrawQuality quality);

// The metaball pass into target, the framebuffer bound now (0: the window's), the metaball
// program current before and after. With lit, the tiles the pass can have lit are left there
// (unknown when it drew every pixel).
void drawMetaballPass(Renderer& renderer, const Scene& scene, GLuint target,
                      TileMask* lit = nullptr);

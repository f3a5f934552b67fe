// The metaball pass by one of two paths (draw_quality.h): exact, the composed metaball
// program over every pixel; or fast, the field program over a coarse grid into a float
// target and the finish program over every pixel reading it back. One float target and its
// framebuffer, made at the start and on a resize; nothing per frame.
#pragma once

#include "render/draw_quality.h"
#include "render/gl_api.h"

// What the host asks for before initScene. Exact unless a host says otherwise: the Windows
// saver always draws exactly.
extern DrawQuality drawQuality;

// What draws now.
DrawPath currentDrawPath();

// Builds metaballShader for the first path (fast when asked for and the GL and the settings
// allow it; auto begins with its trial of exact), with the float target and the finish
// program that fast needs. May raise a shader error, as initScene does.
void startDrawPath();

// The grid and the target follow clientRect; auto tries exact again at the new size.
void resizeDrawPath();

// Gives back the finish program, the target and its framebuffer.
void releaseDrawPath();

// The metaball pass into target, the framebuffer bound now (0: the window's), metaballShader
// current before and after.
void drawMetaballPass(GLuint target);

// The one primitive every pass draws: a textured quad over the whole client area, or over some
// rectangles of it.
#pragma once

#include "render/renderer.h"
#include "scene/frame_clock.h"

// Where WebGL 2 programs take the quad's corners (bound before every link there).
constexpr unsigned quadPositionAttribute = 0;

// Draws the quad (0,0)-(W,H) of rect counter-clockwise with texture coordinates 0..1, using
// whatever program, textures and draw target are current.
void drawFullScreenQuad(const ClientRect& rect);
void drawFullScreenQuad();  // the saver's size

// Draws the rectangles (pixels of rect, origin bottom-left) with whatever program, textures
// and draw target are current: the fast path's finish where colour may show.
void drawPixelRects(const QuadBuffers& quad, const ClientRect& rect, const PixelRect* rects,
                    int count);

// OpenGL ES only (nothing on the desktop): the quad's vertex buffers, made with the renderer
// in its context and given back with it.
void createQuadBuffer(QuadBuffers& quad);
void releaseQuadBuffer(QuadBuffers& quad);

// The one primitive every pass draws: a textured quad over the whole client area, or over some
// rectangles of it.
#pragma once

// Where WebGL 2 programs take the quad's corners (bound before every link there).
constexpr unsigned quadPositionAttribute = 0;

// Draws the quad (0,0)-(W,H) counter-clockwise with texture coordinates 0..1, using
// whatever program, textures and draw target are current.
void drawFullScreenQuad();

// Draws the rectangles (window pixels, origin bottom-left) with whatever program, textures and
// draw target are current: the fast path's finish where colour may show.
struct PixelRect;
void drawPixelRects(const PixelRect* rects, int count);

// WebGL 2 only: the quad's vertex buffer, made once per context and given back with it.
void createQuadBuffer();
void releaseQuadBuffer();

// The one primitive every pass draws: a textured quad over the whole client area.
#pragma once

// Where WebGL 2 programs take the quad's corners (bound before every link there).
constexpr unsigned quadPositionAttribute = 0;

// Draws the quad (0,0)-(W,H) counter-clockwise with texture coordinates 0..1, using
// whatever program, textures and draw target are current.
void drawFullScreenQuad();

// WebGL 2 only: the quad's vertex buffer, made once per context and given back with it.
void createQuadBuffer();
void releaseQuadBuffer();

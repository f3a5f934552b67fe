// The one primitive every pass draws: a textured quad over the whole client area.
#pragma once

// Draws the quad (0,0)-(W,H) counter-clockwise with texture coordinates 0..1, using
// whatever program, textures and draw target are current.
void drawFullScreenQuad();

// The one primitive of every pass: a textured quad over the whole client area, in the
// pixel projection of the context set-up.
#include "render/quad/fullscreen_quad.h"

#include <GL/glew.h>

// Counter-clockwise from the lower-left corner, so it faces the viewer and survives culling.
void drawFullScreenQuad(const ClientRect& rect) {
  const float width = static_cast<float>(rect.right);
  const float height = static_cast<float>(rect.bottom);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(width, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(width, height);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(0.0f, height);
  glEnd();
}

// Each counter-clockwise, in the pixel projection, with texture coordinates as the full-screen
// quad's at the same points (the ghosting blend reads the ring by them).
void drawPixelRects(const QuadBuffers&, const ClientRect& rect, const PixelRect* rects,
                    int count) {
  const float sx = 1.0f / static_cast<float>(rect.right);
  const float sy = 1.0f / static_cast<float>(rect.bottom);
  glBegin(GL_QUADS);
  for (const PixelRect* r = rects; r != rects + count; ++r) {
    glTexCoord2f(r->x0 * sx, r->y0 * sy);
    glVertex2f(r->x0, r->y0);
    glTexCoord2f(r->x1 * sx, r->y0 * sy);
    glVertex2f(r->x1, r->y0);
    glTexCoord2f(r->x1 * sx, r->y1 * sy);
    glVertex2f(r->x1, r->y1);
    glTexCoord2f(r->x0 * sx, r->y1 * sy);
    glVertex2f(r->x0, r->y1);
  }
  glEnd();
}

// The desktop draws in immediate mode: no buffers.
void createQuadBuffer(QuadBuffers&) {}
void releaseQuadBuffer(QuadBuffers&) {}

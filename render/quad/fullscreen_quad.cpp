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

// Each counter-clockwise, in the pixel projection.
void drawPixelRects(const QuadBuffers&, const ClientRect&, const PixelRect* rects, int count) {
  glBegin(GL_QUADS);
  for (const PixelRect* r = rects; r != rects + count; ++r) {
    glVertex2f(r->x0, r->y0);
    glVertex2f(r->x1, r->y0);
    glVertex2f(r->x1, r->y1);
    glVertex2f(r->x0, r->y1);
  }
  glEnd();
}

// The desktop draws in immediate mode: no buffers.
void createQuadBuffer(QuadBuffers&) {}
void releaseQuadBuffer(QuadBuffers&) {}

// WebGL 2: the full-screen quad from a vertex buffer (no immediate mode). The corners are in
// clip space, so the viewport alone maps them onto the client area, as the desktop's pixel
// projection maps (0,0)-(W,H); the ES vertex stages derive texture coordinates from them.
#include "render/fullscreen_quad.h"

#include <GLES3/gl3.h>

#include "render/field_cull.h"
#include "scene/frame_clock.h"

namespace {

GLuint quadBuffer = 0;  // the four corners; 0 while no context holds them
GLuint rectBuffer = 0;  // drawPixelRects's triangles, refilled per batch

// Rectangles go in batches of this many, two triangles each, in clip space.
constexpr int rectBatch = 256;
GLfloat rectCorners[rectBatch * 12];

// Counter-clockwise as a strip from the lower-left corner, so it survives culling.
const GLfloat corners[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

// Uploads the corners and points the position attribute at them for good: nothing else
// draws from vertex arrays, so the state holds for the context's life.
void createQuadBuffer() {
  glGenBuffers(1, &quadBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  glVertexAttribPointer(quadPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(quadPositionAttribute);
  glGenBuffers(1, &rectBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, rectBuffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof rectCorners, nullptr, GL_STREAM_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer);
}

// Gives the buffer back; safe without one.
void releaseQuadBuffer() {
  if (quadBuffer != 0) glDeleteBuffers(1, &quadBuffer);
  if (rectBuffer != 0) glDeleteBuffers(1, &rectBuffer);
  quadBuffer = rectBuffer = 0;
}

// One strip of two triangles over the whole viewport.
void drawFullScreenQuad() { glDrawArrays(GL_TRIANGLE_STRIP, 0, 4); }

// The corners from pixels into clip space (the viewport is the client area), each rectangle
// two counter-clockwise triangles; the quad's corners are the attribute's source again after.
void drawPixelRects(const PixelRect* rects, int count) {
  const float sx = 2.0f / static_cast<float>(clientRect.right);
  const float sy = 2.0f / static_cast<float>(clientRect.bottom);
  glBindBuffer(GL_ARRAY_BUFFER, rectBuffer);
  glVertexAttribPointer(quadPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  for (int first = 0; first < count; first += rectBatch) {
    const int batch = count - first < rectBatch ? count - first : rectBatch;
    GLfloat* v = rectCorners;
    for (const PixelRect* r = rects + first; r != rects + first + batch; ++r) {
      const GLfloat x0 = r->x0 * sx - 1.0f, x1 = r->x1 * sx - 1.0f;
      const GLfloat y0 = r->y0 * sy - 1.0f, y1 = r->y1 * sy - 1.0f;
      const GLfloat corners[12] = {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1};
      for (GLfloat c : corners) *v++ = c;
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(GLfloat) * 12 * batch, rectCorners);
    glDrawArrays(GL_TRIANGLES, 0, 6 * batch);
  }
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer);
  glVertexAttribPointer(quadPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
}

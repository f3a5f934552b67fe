// WebGL 2: the full-screen quad from a vertex buffer (no immediate mode). The corners are in
// clip space, so the viewport alone maps them onto the client area, as the desktop's pixel
// projection maps (0,0)-(W,H); the ES vertex stages derive texture coordinates from them.
#include "render/quad/fullscreen_quad.h"

#include <GLES3/gl3.h>

namespace {

// Rectangles go in batches of this many, two triangles each, in clip space. One batch's
// corners at a time, shared by every renderer of the thread.
constexpr int rectBatch = 256;
GLfloat rectCorners[rectBatch * 12];

// Counter-clockwise as a strip from the lower-left corner, so it survives culling.
const GLfloat corners[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

// Uploads the corners and points the position attribute at them for good: nothing else
// draws from vertex arrays, so the state holds for the context's life.
void createQuadBuffer(QuadBuffers& quad) {
  glGenBuffers(1, &quad.corners);
  glBindBuffer(GL_ARRAY_BUFFER, quad.corners);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  glVertexAttribPointer(quadPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(quadPositionAttribute);
  glGenBuffers(1, &quad.rects);
  glBindBuffer(GL_ARRAY_BUFFER, quad.rects);
  glBufferData(GL_ARRAY_BUFFER, sizeof rectCorners, nullptr, GL_STREAM_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, quad.corners);
}

// Gives the buffers back; safe without them.
void releaseQuadBuffer(QuadBuffers& quad) {
  if (quad.corners != 0) glDeleteBuffers(1, &quad.corners);
  if (quad.rects != 0) glDeleteBuffers(1, &quad.rects);
  quad = QuadBuffers{};
}

// One strip of two triangles over the whole viewport.
void drawFullScreenQuad(const ClientRect&) { glDrawArrays(GL_TRIANGLE_STRIP, 0, 4); }

// The corners from pixels into clip space (the viewport is the client area), each rectangle
// two counter-clockwise triangles; the quad's corners are the attribute's source again after.
void drawPixelRects(const QuadBuffers& quad, const ClientRect& rect, const PixelRect* rects,
                    int count) {
  const float sx = 2.0f / static_cast<float>(rect.right);
  const float sy = 2.0f / static_cast<float>(rect.bottom);
  glBindBuffer(GL_ARRAY_BUFFER, quad.rects);
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
  glBindBuffer(GL_ARRAY_BUFFER, quad.corners);
  glVertexAttribPointer(quadPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
}

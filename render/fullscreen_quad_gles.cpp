// WebGL 2: the full-screen quad from a vertex buffer (no immediate mode). The corners are in
// clip space, so the viewport alone maps them onto the client area, as the desktop's pixel
// projection maps (0,0)-(W,H); the ES vertex stages derive texture coordinates from them.
#include "render/fullscreen_quad.h"

#include <GLES3/gl3.h>

namespace {

GLuint quadBuffer = 0;  // the four corners; 0 while no context holds them

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
}

// Gives the buffer back; safe without one.
void releaseQuadBuffer() {
  if (quadBuffer != 0) glDeleteBuffers(1, &quadBuffer);
  quadBuffer = 0;
}

// One strip of two triangles over the whole viewport.
void drawFullScreenQuad() { glDrawArrays(GL_TRIANGLE_STRIP, 0, 4); }

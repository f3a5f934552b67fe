// OpenGL ES 3 (WebGL 2 and EGL): the drawing state of gl_context.h without fixed-function
// matrices: the quad arrives in clip space, so the viewport alone is the pixel projection.
#include "render/context/gl_context.h"

// The desktop's base state where ES has it: black clear colour, back faces culled.
void setDrawingState(GLsizei width, GLsizei height) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_CULL_FACE);
  setPixelProjection(width, height);
}

// The viewport over the whole drawing buffer; the quad's corners need no matrix.
void setPixelProjection(GLsizei width, GLsizei height) { glViewport(0, 0, width, height); }

bool floatTargetsOffered() { return true; }

// WebGL 2, GLSL ES 1.00: the quad feeds its corners in clip space through one attribute at a
// fixed location, and a fragment stage must state its float precision first.
#include "render/shaders/shader_dialect.h"

#include "render/quad/fullscreen_quad.h"

const char* const metaballVertexSource =
    "attribute vec2 position;\nvoid main(){gl_Position=vec4(position,0.0,1.0);}";

// NOTE: GLSL ES fragment shaders have no default float precision; highp keeps the density
// sums as exact as the desktop's single precision.
const char* const fragmentPreamble = "precision highp float;\n";

// Every program shares the quad's vertex buffer, so "position" has one location in all.
void bindQuadAttributes(GLuint program) {
  glBindAttribLocation(program, quadPositionAttribute, "position");
}

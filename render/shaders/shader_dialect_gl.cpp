// Desktop GL: the quad goes through the fixed-function vertex path (glVertex, ftransform), so
// no attribute needs a location and the composed text compiles as it is.
#include "render/shaders/shader_dialect.h"

const char* const metaballVertexSource = "void main(){gl_Position=ftransform();}";
const char* const fragmentPreamble = "";

// Nothing to bind: the quad's vertices are the built-in gl_Vertex.
void bindQuadAttributes(GLuint) {}

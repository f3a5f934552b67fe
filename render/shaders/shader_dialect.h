// What the shared shader code needs to know of the GL's shading language: the metaball
// program's vertex stage, the lines in front of a composed fragment text, and the vertex
// attribute the full-screen quad feeds. Desktop GL: shader_dialect_gl.cpp; WebGL 2 (GLSL ES
// 1.00): shader_dialect_gles.cpp.
#pragma once

#include "render/context/gl_api.h"

// The metaball program's vertex stage: the fragment stage works from window coordinates.
extern const char* const metaballVertexSource;

// Put in front of the composed metaball fragment text; empty on desktop GL.
extern const char* const fragmentPreamble;

// Called between attaching and linking: gives the quad's attribute its fixed location.
void bindQuadAttributes(GLuint program);

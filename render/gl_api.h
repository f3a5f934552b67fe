// The GL headers of the shared renderer files: OpenGL through GLEW on the desktop, OpenGL ES 3
// (WebGL 2) under emscripten. Files for one API alone include their own headers directly.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <GL/glew.h>
#endif

// The GL headers of the shared renderer files: OpenGL through GLEW on the desktop, OpenGL ES 3
// under emscripten (WebGL 2) and in the Wayland program (VORLIX_GLES, through EGL). Files for
// one API alone include their own headers directly.
#pragma once

#if defined(__EMSCRIPTEN__) || defined(VORLIX_GLES)
#include <GLES3/gl3.h>
#else
#include <GL/glew.h>
#endif

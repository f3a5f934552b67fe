// Windows: the saver window's OpenGL context through WGL, and the device context that every
// frame's buffer swap uses.
#pragma once

#include <GL/glew.h>
#include <windows.h>

// The saver window's device context, kept for the buffer swap of every frame.
extern HDC windowDC;

// Creates and makes current the window's context, starts GLEW and sets the drawing state
// from clientRect. Writes logInit.txt; on a failed GLEW start the process ends with code 1.
void initGLContext(HWND window);

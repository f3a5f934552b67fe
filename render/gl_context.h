// The saver window's OpenGL context: pixel format, rendering context, GLEW, and the fixed
// pixel-exact drawing state; then a probe that reports what the driver lacks for shaders.
#pragma once

#include <GL/glew.h>
#include <windows.h>

// The saver window's device context, kept for the buffer swap of every frame.
extern HDC windowDC;

// Creates and makes current the window's context, starts GLEW and sets the drawing state
// from clientRect. Writes logInit.txt; on a failed GLEW start the process ends with code 1.
void initGLContext(HWND window);

// Reports missing shader support in message boxes; true when GLSL, vertex and fragment
// programs are all present.
bool probeShaderSupport();

// True when GLEW loaded every OpenGL 2.0 shader entry point that the renderer calls.
bool shaderEntryPointsLoaded();

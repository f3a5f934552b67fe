// Linux: the OpenGL context through GLX, always for the visual of the window it draws into
// (a window handed over has its own, and GLX refuses a context of another), and the swap.
#pragma once

#include <GL/glew.h>
#include <GL/glx.h>

#include <string>

#include "scene/frame_clock.h"

// A double-buffered RGBA visual for a window of the program's own; null when there is none.
XVisualInfo* chooseOwnWindowVisual(Display* display, int screen);

// Creates a context for the window's visual, makes it current, starts GLEW and sets the
// drawing state for a drawable of size rect. False, with the reason in failure, when any
// step fails.
bool initGLContext(Display* display, Window window, const ClientRect& rect, std::string& failure);

// Shows the back buffer of the window that initGLContext was given.
void swapWindowBuffers();

// Releases the context (the scene must have been released first). Safe to call twice.
void releaseGLContext();

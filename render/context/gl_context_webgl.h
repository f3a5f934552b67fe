// WebGL 2: the drawing context on the page's canvas. Under emscripten the GL calls go to
// the context made current here; the canvas's drawing-buffer size is set here too.
#pragma once

// Creates a WebGL 2 context on the canvas with this CSS selector ("#canvas"), makes it
// current and sets the drawing state for width x height pixels. False when the browser
// offers no WebGL 2 (switched off, blocked, or too old).
bool initWebGLContext(const char* canvasSelector, int width, int height);

// Sets the canvas's drawing buffer to width x height pixels (not its size on the page).
void setCanvasSize(const char* canvasSelector, int width, int height);

// After the browser gave a lost context back: the drawing state (for width x height pixels)
// is set again; every GL object is gone, and the scene's are the caller's to make again.
void renewWebGLContext(int width, int height);

// True once the browser has lost the context, which is at once, while its loss event comes
// later. A lost context builds nothing: WebGL hands back null objects and throws on them.
bool webGLContextLost();

// Gives back the context. Safe to call twice.
void releaseWebGLContext();

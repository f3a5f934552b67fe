// WebGL 2: the drawing context on the page's canvas. Under emscripten the GL calls go to
// the context made current here; the canvas's drawing-buffer size is set here too.
#pragma once

// Creates a WebGL 2 context on the canvas with this CSS selector ("#canvas"), makes it
// current, makes the quad's buffer and sets the drawing state from clientRect. False when
// the browser offers no WebGL 2 (switched off, blocked, or too old).
bool initWebGLContext(const char* canvasSelector);

// Sets the canvas's drawing buffer to width x height pixels (not its size on the page).
void setCanvasSize(const char* canvasSelector, int width, int height);

// After the browser gave a lost context back: every GL object is gone, so the quad's
// buffer and the drawing state are made again (the scene is the caller's).
void renewWebGLContext();

// Gives back the quad's buffer and the context. Safe to call twice.
void releaseWebGLContext();

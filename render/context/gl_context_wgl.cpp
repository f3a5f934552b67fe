// Windows: the saver window's OpenGL context through WGL: pixel format, rendering context,
// GLEW start, then the shared drawing state.
#include "render/context/gl_context_wgl.h"

#include <cstdio>
#include <cstdlib>

#include "render/context/gl_context.h"
#include "scene/frame_clock.h"

HDC windowDC = nullptr;

namespace {

constexpr const char* initLogFileName = "logInit.txt";

// Double-buffered RGBA to a window, 24 colour bits, 16 depth bits, no other preference.
const PIXELFORMATDESCRIPTOR pixelFormatRequest = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    24,                  // colour bits
    0, 0, 0, 0, 0, 0,    // red, green, blue bits and shifts
    0, 0,                // alpha bits and shift
    0, 0, 0, 0, 0,       // accumulation bits
    16,                  // depth bits
    0,                   // stencil bits
    0,                   // auxiliary buffers
    PFD_MAIN_PLANE,
    0,                   // reserved
    0, 0, 0,             // layer, visible and damage masks
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the request is the 40-byte record");

}  // namespace

// Creates and makes current the window's context, starts GLEW and sets the drawing state.
// The whole chain is judged by glewInit alone: any earlier failure leaves no context current,
// and then GLEW cannot read a GL version.
void initGLContext(HWND window) {
  FILE* log = std::fopen(initLogFileName, "w");  // emptied at every start
  windowDC = GetDC(window);
  const int format = ChoosePixelFormat(windowDC, &pixelFormatRequest);
  SetPixelFormat(windowDC, format, &pixelFormatRequest);
  HGLRC context = wglCreateContext(windowDC);
  wglMakeCurrent(windowDC, context);
  if (glewInit() != GLEW_OK) {
    if (log) {
      std::fputs(glewFailureLine, log);
      std::fflush(log);
      std::fclose(log);
    }
    std::exit(1);
  }
  setDrawingState(clientRect.right, clientRect.bottom);
  if (log) std::fclose(log);
}

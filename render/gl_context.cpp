// The saver window's OpenGL context: pixel format, rendering context, GLEW start, the
// pixel-exact drawing state, and the probe that shows what the driver lacks for shaders.
#include "render/gl_context.h"

#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>

#include "render/probe_verdict.h"
#include "scene/frame_clock.h"

HDC windowDC = nullptr;

namespace {

constexpr const char* initLogFileName = "logInit.txt";
constexpr const char* glewFailureLine = "failed to init GLEW\n";

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

// Reads one of the probe's flags from GLEW.
bool readGlewFlag(ProbeFlag flag, void*) {
  switch (flag) {
    case ProbeFlag::shadingLanguage100: return __GLEW_ARB_shading_language_100;
    case ProbeFlag::vertexProgram: return __GLEW_ARB_vertex_program;
    case ProbeFlag::fragmentProgram: return __GLEW_ARB_fragment_program;
    case ProbeFlag::version20: return __GLEW_VERSION_2_0;
    case ProbeFlag::nvVertexProgram3: return __GLEW_NV_vertex_program3;
    case ProbeFlag::nvVertexProgram2: return __GLEW_NV_vertex_program2;
    case ProbeFlag::nvFragmentProgram2: return __GLEW_NV_fragment_program2;
  }
  return false;
}

// The fixed base state of the run: one unit per pixel, origin at the lower-left corner.
void setDrawingState(GLsizei width, GLsizei height) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_CULL_FACE);
  glEnable(GL_POLYGON_SMOOTH);
  glEnable(GL_TEXTURE_2D);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glLineWidth(1.0f);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, width, 0.0, height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

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

// Shows at most one box, then the standard-output line that goes with it.
bool probeShaderSupport() {
  const ProbeVerdict verdict = decideShaderSupport(readGlewFlag, nullptr);
  if (verdict.boxTitle) MessageBoxA(nullptr, verdict.boxText, verdict.boxTitle, MB_OK);
  if (verdict.outputLine) {
    std::fputs(verdict.outputLine, stdout);
    std::fflush(stdout);
  }
  return verdict.supported;
}

// NOTE: GLEW loads a version's entry points only when the driver reports that version, and
// leaves the others null; this lists every one the shader object, the scene and the ring call.
bool shaderEntryPointsLoaded() {
  const void* const entryPoints[] = {
      reinterpret_cast<const void*>(glCreateShader),
      reinterpret_cast<const void*>(glShaderSource),
      reinterpret_cast<const void*>(glCompileShader),
      reinterpret_cast<const void*>(glGetShaderiv),
      reinterpret_cast<const void*>(glGetShaderInfoLog),
      reinterpret_cast<const void*>(glDeleteShader),
      reinterpret_cast<const void*>(glCreateProgram),
      reinterpret_cast<const void*>(glAttachShader),
      reinterpret_cast<const void*>(glDetachShader),
      reinterpret_cast<const void*>(glLinkProgram),
      reinterpret_cast<const void*>(glGetProgramiv),
      reinterpret_cast<const void*>(glGetProgramInfoLog),
      reinterpret_cast<const void*>(glDeleteProgram),
      reinterpret_cast<const void*>(glUseProgram),
      reinterpret_cast<const void*>(glGetUniformLocation),
      reinterpret_cast<const void*>(glUniform1f),
      reinterpret_cast<const void*>(glUniform1i),
      reinterpret_cast<const void*>(glUniform2f),
      reinterpret_cast<const void*>(glUniform2i),
      reinterpret_cast<const void*>(glUniform3f),
      reinterpret_cast<const void*>(glUniform3i),
      reinterpret_cast<const void*>(glUniform4f),
      reinterpret_cast<const void*>(glUniform4i),
      reinterpret_cast<const void*>(glUniform1fv),
      reinterpret_cast<const void*>(glUniform3fv),
      reinterpret_cast<const void*>(glActiveTexture),
  };
  for (const void* entryPoint : entryPoints)
    if (!entryPoint) return false;
  return true;
}

// The GL state both platforms share once a context is current: the pixel-exact drawing
// state and its resize, the probe that reports what the driver lacks for shaders, and the
// check that every OpenGL 2.0 entry point the renderer calls was loaded.
#include "render/context/gl_context.h"

#include <GL/glu.h>

#include <cstdio>
#include <stdexcept>

#include "render/context/probe_verdict.h"
#include "render/diagnostics/diagnostics.h"

namespace {

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

}  // namespace

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
  setPixelProjection(width, height);
}

// Viewport and projection over the whole drawable, one unit per pixel.
void setPixelProjection(GLsizei width, GLsizei height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, width, 0.0, height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Shows at most one report, then the standard-output line that goes with it.
bool probeShaderSupport() {
  const ProbeVerdict verdict = decideShaderSupport(readGlewFlag, nullptr);
  if (verdict.boxTitle) showReport(verdict.boxTitle, verdict.boxText);
  if (verdict.outputLine) {
    std::fputs(verdict.outputLine, stdout);
    std::fflush(stdout);
  }
  return verdict.supported;
}

bool floatTargetsOffered() {
  return GLEW_VERSION_3_0 || (GLEW_ARB_framebuffer_object && GLEW_ARB_texture_float);
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

// NOTE: GLEW leaves the OpenGL 2.0 entry points null on a driver without them, and the scene
// would call through them; the start stops here instead, after the probe said what is missing.
void requireShaderEntryPoints() {
  if (!shaderEntryPointsLoaded())
    throw std::runtime_error("This graphics driver does not offer the OpenGL 2.0 shader "
                             "functions that the saver needs.");
}

// The GL state every platform shares once its context is current: the pixel-exact drawing
// state, the probe that reports what the driver lacks for shaders, and the check of the
// OpenGL 2.0 entry points. The contexts themselves: gl_context_wgl.h, gl_context_glx.h, and
// for OpenGL ES 3 gl_context_webgl.h and gl_context_egl.h, whose drawing state is in
// gl_context_gles.cpp (ES needs no probe: its shader functions are core).
#pragma once

#include "render/context/gl_api.h"

// What the context set-up records when the GL function loader cannot start.
constexpr const char* glewFailureLine = "failed to init GLEW\n";

// The fixed drawing state of the run, with a pixel projection of width x height.
void setDrawingState(GLsizei width, GLsizei height);

// Viewport and projection for a drawable of width x height pixels, origin bottom-left.
void setPixelProjection(GLsizei width, GLsizei height);

// Reports missing shader support ("Error" or "Warning"); true when GLSL, vertex and
// fragment programs are all present.
bool probeShaderSupport();

// True when the GL may render into a float texture, as the coarse field needs: desktop GL
// 3.0 or the framebuffer-object and float-texture extensions; OpenGL ES 3 always (the target's
// completeness check then decides, with EXT_color_buffer_float or its half-float twin).
bool floatTargetsOffered();

// True when GLEW loaded every OpenGL 2.0 shader entry point that the renderer calls.
bool shaderEntryPointsLoaded();

// Raises std::runtime_error, saying what is missing, unless shaderEntryPointsLoaded().
void requireShaderEntryPoints();

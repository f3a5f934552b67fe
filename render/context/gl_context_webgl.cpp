// WebGL 2: context creation on the canvas (the drawing state is OpenGL ES's, in
// gl_context_gles.cpp).
#include "render/context/gl_context_webgl.h"

#include <emscripten/em_asm.h>
#include <emscripten/html5.h>

#include "render/context/gl_context.h"

namespace {

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;  // 0 while none exists

}  // namespace

// An opaque canvas (the blobs' alpha is no coverage), no depth, stencil or multisampling,
// and a drawing buffer the browser may discard once shown, as a swapped back buffer is.
bool initWebGLContext(const char* canvasSelector, int width, int height) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_FALSE;
  attributes.stencil = EM_FALSE;
  attributes.antialias = EM_FALSE;
  attributes.preserveDrawingBuffer = EM_FALSE;
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.enableExtensionsByDefault = EM_FALSE;
  // NOTE: emscripten's context creation names WebGLRenderingContext (a Safari fix), and a
  // WebKit with WebGL switched off has no such name: it would throw instead of failing.
  if (!EM_ASM_INT({ return typeof WebGLRenderingContext !== 'undefined' &&
                           typeof WebGL2RenderingContext !== 'undefined'; })) {
    return false;
  }
  context = emscripten_webgl_create_context(canvasSelector, &attributes);
  if (context <= 0) {
    context = 0;
    return false;
  }
  emscripten_webgl_make_context_current(context);
  renewWebGLContext(width, height);
  return true;
}

void setCanvasSize(const char* canvasSelector, int width, int height) {
  emscripten_set_canvas_element_size(canvasSelector, width, height);
}

void renewWebGLContext(int width, int height) {
  // The coarse field renders into a float texture; either extension allows it (half floats
  // are all it takes), and without both the exact path draws.
  emscripten_webgl_enable_extension(context, "EXT_color_buffer_float");
  emscripten_webgl_enable_extension(context, "EXT_color_buffer_half_float");
  setDrawingState(width, height);
}

bool webGLContextLost() { return context != 0 && emscripten_is_webgl_context_lost(context); }

void releaseWebGLContext() {
  if (context == 0) return;
  emscripten_webgl_destroy_context(context);
  context = 0;
}

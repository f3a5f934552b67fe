// One renderer: everything a surface's drawing holds (programs, ghosting ring, the fast
// path's field, the quad's buffers, the frame-rate line) in one plain value, so that every
// surface of a process has its own. GL-free, so that portable code and tests see it too:
// GL object names are kept as unsigned, the type GLuint names on every platform.
#pragma once

#include "render/field/draw_quality.h"
#include "render/field/field_cull.h"
#include "render/field/field_grid.h"
#include "render/ghosting/ring_roles.h"
#include "render/overlay/fps_text.h"
#include "scene/balls.h"

class zunoShader;

// The ghosting ring: four frame textures and the framebuffers they are drawn through.
struct GhostRing {
  unsigned textures[4] = {0, 0, 0, 0};  // slots 0 to 3; 0 while no ring exists
  unsigned framebuffer = 0;             // the desktop's one (ES: slot 0's); 0 while no ring
  unsigned slotFramebuffers[4] = {0, 0, 0, 0};  // ES: each slot's own framebuffer
  bool built = false;                   // set by the creation, cleared by the release
  RingRoles roles;                      // which slot plays which role
  TileMask lit[4];                      // each slot's lit tiles, for a blend of those only
  bool nearest = false;                 // the frames are sampled texel for texel
};

// The fast path's coarse field, made at the start and on a resize.
struct FieldPass {
  DrawPath path = DrawPath::exact;
  int spacing = 0;                // the settings' grid spacing; 0: they need exact
  FieldGrid grid;                 // the grid over the drawing
  unsigned texture = 0;           // the sums at the grid points (RGBA16F)
  unsigned framebuffer = 0;
  bool targetWorks = false;       // the GL renders into the float target
  zunoShader* finish = nullptr;   // built once fast is needed
  bool trying = false;            // auto's trial of exact runs
  PathTrial trial;
  CullScene bound{};              // the bound's view of the scene, fixed from the start
};

// OpenGL ES: the quad's corners and the rectangles' buffer (unused on the desktop).
struct QuadBuffers {
  unsigned corners = 0;  // the four corners; 0 while none exist
  unsigned rects = 0;    // drawPixelRects's triangles, refilled per batch
};

// The frame-rate line, made at the start of the run.
struct FpsOverlay {
  zunoShader* program = nullptr;  // the glyph program; null while there is no overlay
  unsigned texture = 0;           // the line's bitmap
  FpsCounter counter;             // the count and the line shown
  DrawPath shownPath = DrawPath::exact;  // the path the line names
};

// The lock's password ring (vorlixss-wayland --lock), made when the lock's surface starts.
struct LockRing {
  zunoShader* program = nullptr;  // null while there is no ring
  int lit = -1, colour = -1, cross = -1;  // its uniforms' locations
};

struct Renderer {
  zunoShader* metaballShader = nullptr;  // null before initScene and after releaseScene
  zunoShader* ghostShader = nullptr;     // null before initScene and after releaseScene
  float blobExponent = 0.0f;             // 3.01 - 3 * log301(blobbiness + 1)
  float ballFalloff[BALL_SLOTS] = {};    // each ball's fall-off as uploaded last
  DrawQuality quality = DrawQuality::exact;  // what the start was asked for
  GhostRing ring;
  FieldPass field;
  QuadBuffers quad;
  FpsOverlay fps;
  LockRing lockRing;
};

// The Windows saver's one renderer: the functions without a renderer argument and the old
// names (metaballShader, ringTextures, ancientIndex ...) act on it.
extern Renderer saverRenderer;

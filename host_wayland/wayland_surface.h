// Linux Wayland: a surface the program draws on: a window of its own (an xdg toplevel), or,
// in saver mode, the cover of one output (an overlay layer surface, or where the compositor
// has no layer shell a fullscreen toplevel on that output), with --lock the lock surface of
// one output, and its frame pacing.
#pragma once

#include <cstdint>
#include <string>

#include "host_wayland/wayland_display.h"

// What the surface is.
enum class SurfaceRole {
  ownWindow,  // an xdg toplevel of its own size, which the compositor may change
  layer,      // an overlay layer surface over one output, all edges anchored
  fullscreen, // a fullscreen xdg toplevel on one output
  lock,       // the session lock's surface on one output (session_lock.h)
};

// The surface and what the compositor said of it.
struct DrawSurface {
  SurfaceRole role = SurfaceRole::ownWindow;
  wl_surface* surface = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zwlr_layer_surface_v1* layerSurface = nullptr;
  ext_session_lock_surface_v1* lockSurface = nullptr;
  wl_callback* frameCallback = nullptr;  // asked at the last swap, not yet done
  uint32_t frameAskedAt = 0;             // millisecond reading of that swap
  int width = 0, height = 0;             // in surface units, as configured
  int scale = 1;                         // buffer pixels per unit (its output's scale)
  bool configured = false;               // the first configure came (and was acknowledged)
  bool resized = false;                  // width, height or scale changed since drawn
  bool closed = false;                   // the compositor closed it (or its output)
  bool wasHidden = false;                // a frame callback came long after its swap
  bool pointerSeen = false;              // the pointer's reference below is set
  double referenceX = 0, referenceY = 0; // where the pointer was first seen over it
};

// Makes the surface (on output for the saver's roles; width x height is the own window's
// size, and a fullscreen toplevel's until the compositor says) and waits for its first
// configure. False, with the reason in failure. The value must stay where it is until
// destroyDrawSurface: the compositor's events find it there.
bool createDrawSurface(DrawSurface& draw, SurfaceRole role, const WaylandOutput* output,
                       int width, int height, std::string& failure);

// The DrawSurface of one of the program's wl_surfaces (input events name those).
DrawSurface* drawSurfaceOf(wl_surface* surface);

// Buffer size in pixels.
inline int bufferWidth(const DrawSurface& draw) { return draw.width * draw.scale; }
inline int bufferHeight(const DrawSurface& draw) { return draw.height * draw.scale; }

// Before a swap: asks to be told when the compositor shows the next frame (now is the
// millisecond reading).
void askForFrame(DrawSurface& draw, uint32_t now);

// Tells the compositor that the surface at its current size hides what lies below, with the
// next commit; call when the size is taken.
void markOpaque(const DrawSurface& draw);

// True while the compositor has not shown the last frame: drawing then waits.
inline bool framePending(const DrawSurface& draw) { return draw.frameCallback != nullptr; }

// Destroys the surface and its roles. Safe to call twice.
void destroyDrawSurface(DrawSurface& draw);

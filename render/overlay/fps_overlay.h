// The frame-rate line drawn over the picture (vorlixss --fps, as XScreenSaver's modules show
// it when "Show frame rate" is ticked): one textured quad from the renderer's own pieces, so
// that it draws the same on OpenGL 2.0 and on OpenGL ES 3. The text itself: fps_text.h.
#pragma once

#include <cstdint>

#include "render/renderer.h"
#include "scene/frame_clock.h"

// Makes the glyph program and texture once the scene is built; false when the GL refuses
// them (no line is then drawn). Leaves the metaball program current.
bool initFpsOverlay(Renderer& renderer);
bool initFpsOverlay();  // the saver's

// Counts one frame at millisecond reading nowMs and draws the rate of the last full second
// in the lower-left corner of the bound window framebuffer (of size rect), after the frame
// tick and before the swap. Leaves the metaball program current, as the tick does.
void drawFpsOverlay(Renderer& renderer, const ClientRect& rect, uint32_t nowMs);
void drawFpsOverlay(uint32_t nowMs);  // the saver's

// Makes the next frame only begin a new count, so that a spell without frames (a hidden
// page) does not pull the next reading down; the line shown stays until then.
void restartFpsCount(Renderer& renderer);

// Deletes the program and the texture and starts the count afresh; safe without them.
void releaseFpsOverlay(Renderer& renderer);
void releaseFpsOverlay();  // the saver's

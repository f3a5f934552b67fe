// The frame-rate line drawn over the picture (vorlixss --fps, as XScreenSaver's modules show
// it when "Show frame rate" is ticked): one textured quad from the renderer's own pieces, so
// that it draws the same on OpenGL 2.0 and on OpenGL ES 3. The text itself: fps_text.h.
#pragma once

#include <cstdint>

// Makes the glyph program and texture once the scene is built; false when the GL refuses
// them (no line is then drawn). Leaves the metaball program current.
bool initFpsOverlay();

// Counts one frame at millisecond reading nowMs and draws the rate of the last full second
// in the lower-left corner of the bound window framebuffer, after the frame tick and before
// the swap. Leaves the metaball program current, as the tick does.
void drawFpsOverlay(uint32_t nowMs);

// Makes the next frame only begin a new count, so that a spell without frames (a hidden
// page) does not pull the next reading down; the line shown stays until then.
void restartFpsCount();

// Deletes the program and the texture and starts the count afresh; safe without them.
void releaseFpsOverlay();

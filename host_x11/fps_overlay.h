// Linux: --fps, the frames per second drawn in the lower-left corner over the picture, as
// XScreenSaver's modules show it when "Show frame rate" is ticked.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

// Makes the glyphs from the X server's "fixed" font; false when the font cannot be had.
bool initFpsOverlay(Display* display);

// Counts one frame at millisecond reading now and draws the rate of the last full second
// into the back buffer, leaving the metaball program current as the tick does.
void drawFpsOverlay(uint32_t now);

// Deletes the glyphs.
void releaseFpsOverlay();

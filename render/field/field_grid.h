// The coarse field's grid: how far apart the points may lie at which the fast drawing sums
// the balls' fields, and how the finish pass finds a window point's place between them.
// Portable, so it is unit-tested natively.
#pragma once

#include "scene/settings.h"

// Beyond this the field pass is a small part of the frame already: a wider grid gains little.
constexpr int widestFieldSpacing = 8;

// The spacing in pixels for these (drawable) settings at which the blob edges drawn from the
// grid stay within half a pixel of the exact ones; 0 where no grid of 2 pixels or more can
// hold them (the rings of the cosine function, small blobs of exp(-|D|)).
int fieldSpacingFor(const SaverSettings& settings);

// The grid over a window: its points, spacing pixels apart from the window's lower-left
// corner, reach past its upper and right edges; texture coordinates of window point P are
// P * scale + offset.
struct FieldGrid {
  int spacing = 0;
  int width = 0, height = 0;  // points across and up: the field texture's size
  float scale[2] = {};
  float offset[2] = {};
};
FieldGrid fieldGridFor(int spacing, int windowWidth, int windowHeight);

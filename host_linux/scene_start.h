// Linux: a surface's scene started from the command line's settings and drawing quality,
// shared by the X11 and the Wayland program.
#pragma once

#include <string>

#include "host_linux/options.h"
#include "render/renderer.h"
#include "scene/scene.h"

// Starts the programs, ring and balls of scene (whose size is set) with the options'
// settings and quality (the run's pace decides it), after checks (if given: what the GL must offer first; it raises
// what is missing). Empty when it started; else the reason, with what was built released.
std::string startSurfaceScene(Renderer& renderer, Scene& scene, const HostOptions& options,
                              DrawQuality quality, void (*checks)() = nullptr);

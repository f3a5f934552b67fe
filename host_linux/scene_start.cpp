// Linux: a surface's scene from the command line.
#include "host_linux/scene_start.h"

#include <exception>

#include "render/scene_setup.h"

std::string startSurfaceScene(Renderer& renderer, Scene& scene, const HostOptions& options,
                              DrawQuality quality, void (*checks)()) {
  try {
    if (checks) checks();
    scene.settings = options.settings;
    initScene(renderer, scene, quality);
    return "";
  } catch (const std::exception& failure) {
    releaseScene(renderer);  // what was built before the failure
    return std::string("the saver could not start: ") + failure.what();
  }
}

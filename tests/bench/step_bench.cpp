// Google Benchmark of the portable ball simulation, natively: one physics step of all 20
// balls (moveBalls, the part of stepBalls that is not the uniform upload) and one frame
// tick's worth of steps (50, a tick one second after the previous one).
#include <benchmark/benchmark.h>

#include <cmath>

#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"

namespace {

// A scene as initScene leaves it, for a window of width x height and the default settings.
void startBalls(int width, int height) {
  clientRect = {0, 0, width, height};
  saverSettings = defaultSettings;
  springConstant = springConstantFor(saverSettings.springK);
  dampingFactor = dampingFactorFor(saverSettings.damping);
  seedRandom(20261207);
  initBalls();
}

// Fails the run when the balls went numerically wrong: a benchmark of NaNs would be fast
// and meaningless.
void checkFinite(benchmark::State& state) {
  for (const Vec3& p : ballPos)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) state.SkipWithError("ball left the numbers");
}

void moveBallsOneStep(benchmark::State& state) {
  startBalls(int(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    moveBalls(simulationStep);
    benchmark::DoNotOptimize(ballPos);
  }
  checkFinite(state);
}
BENCHMARK(moveBallsOneStep)->Args({1280, 720})->Args({152, 112});

void fiftyStepsOfOneTick(benchmark::State& state) {
  startBalls(1280, 720);
  for (auto _ : state) {
    benchmark::DoNotOptimize(runFixedSteps(0.0f, 1000 * timeScale, moveBalls));
    benchmark::DoNotOptimize(ballPos);
  }
  checkFinite(state);
}
BENCHMARK(fiftyStepsOfOneTick);

}  // namespace

BENCHMARK_MAIN();

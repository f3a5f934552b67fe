// The twenty balls: random creation and the physics step, all in single precision so that
// a seed gives the same motion on every platform.
#include "scene/balls.h"

#include <algorithm>
#include <cstdint>

#include "scene/scene.h"

namespace {

const Vec3 gravity(0.0f, -9.81f, 0.0f);
constexpr float gravityScale = 4.0f;          // a ball weighs 4 x mass x gravity
constexpr float edgeRepulsion = 10000.0f;     // force x distance to an edge, per unit mass
constexpr float startSpeedRange = 200.0f;     // start velocities span -100 to +100
constexpr float colourSaturation = 1.0f;
constexpr float colourLightness = 0.5f;

// NOTE: a ball exactly on an edge (a start draw of 0 or 1, or a wrap that rounds onto the
// far edge) would divide by zero and, through the springs, turn every ball into NaN. Nearer
// than half a pixel the push is that of half a pixel: at most 2 px of travel in one step.
constexpr float nearestEdgeDistance = 0.5f;

// One random value u = r / 32767 in 0..1, both ends included.
double drawUnit(RandomDraws& draws) { return nextRandom(draws) / static_cast<double>(randomMax); }

// The edge push of one ball on one axis: 10000 / distance x mass, made positive.
float edgePush(float distance, float mass) {
  const float guarded = std::max(std::abs(distance), nearestEdgeDistance);
  return std::abs(edgeRepulsion / guarded * mass);
}

// A coordinate brought back into 0..size. NOTE: the edge rules move a ball by one window
// size at most; only springs far stiffer than the dialog allows, on balls of a pixel, carry a
// ball further in one step, and unchecked such a ball grows to infinity and, through the
// springs, turns every ball into NaN. Inside 0..size the coordinate is left as it is.
float intoWindow(float value, float size) {
  if (value >= 0.0f && value <= size) return value;
  if (!(size > 0.0f)) return 0.0f;
  float inside = std::fmod(value, size);
  if (inside < 0.0f) inside += size;
  return inside >= 0.0f && inside <= size ? inside : 0.0f;
}

// One colour channel of the HSL conversion, t already offset by the channel's third.
float hueChannel(float p, float q, float t) {
  if (t < 0.0f) t += 1.0f;
  if (t > 1.0f) t -= 1.0f;
  if (t < 1.0f / 6.0f) return p + (q - p) * 6.0f * t;
  if (t < 1.0f / 2.0f) return q;
  if (t < 2.0f / 3.0f) return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
  return p;
}

}  // namespace

float springConstantFor(unsigned springK) { return static_cast<float>(springK); }

float dampingFactorFor(unsigned damping) {
  const float fraction = static_cast<float>(0.01 * static_cast<float>(damping));
  const float squared = fraction * fraction;
  return 1.0f - squared * 0.01f;
}

Vec3 hslToRgb(float hue, float saturation, float lightness) {
  const float q = lightness < 0.5f ? lightness * (1.0f + saturation)
                                   : lightness + saturation - lightness * saturation;
  const float p = 2.0f * lightness - q;
  const float h = hue / 360.0f;
  const float third = 1.0f / 3.0f;
  return {hueChannel(p, q, h + third), hueChannel(p, q, h), hueChannel(p, q, h - third)};
}

void initBalls(Scene& scene) {
  const SaverSettings& settings = scene.settings;
  const ClientRect& rect = scene.rect;
  BallSet& b = scene.balls;
  RandomDraws& draws = scene.random;
  // Radii between the two bounds taken in order and at least a pixel: a minimum above the
  // maximum (only by editing the registry) must not wrap the unsigned difference, and a
  // radius of 0 would be a ball without mass.
  const uint32_t low = std::min(settings.minRadius, settings.maxRadius);
  const uint32_t high = std::max(settings.minRadius, settings.maxRadius);
  const float radiusSpan = static_cast<float>(high - low);
  const float radiusBase = static_cast<float>(low);
  for (int i = 0; i < BALL_SLOTS; ++i) {
    const float x = static_cast<float>(drawUnit(draws) * rect.right);
    const float y = static_cast<float>(drawUnit(draws) * rect.bottom);
    const float vx = static_cast<float>(drawUnit(draws) * startSpeedRange - startSpeedRange / 2);
    const float vy = static_cast<float>(drawUnit(draws) * startSpeedRange - startSpeedRange / 2);
    b.pos[i] = Vec3(x, y, 0.0f);
    b.velocity[i] = Vec3(vx, vy, 0.0f);
    // The first step then continues the start velocity.
    b.prevPos[i] = Vec3(x - vx * 0.01f, y - vy * 0.01f, 0.0f);
    const float radius = static_cast<float>(drawUnit(draws) * radiusSpan + radiusBase);
    b.radius[i] = std::max(radius, 1.0f);
    const float hue = static_cast<float>(drawUnit(draws) * 360);
    b.color[i] = hslToRgb(hue, colourSaturation, colourLightness);
  }
}

void moveBalls(Scene& scene, float dt) {
  const ClientRect& rect = scene.rect;
  Vec3 (&pos)[BALL_SLOTS] = scene.balls.pos;
  Vec3 (&prevPos)[BALL_SLOTS] = scene.balls.prevPos;
  const float (&radius)[BALL_SLOTS] = scene.balls.radius;
  const float springConstant = scene.balls.springConstant;
  const float dampingFactor = scene.balls.dampingFactor;
  const float width = static_cast<float>(rect.right);
  const float height = static_cast<float>(rect.bottom);
  const float widthLimit = static_cast<float>(rect.right - 1);
  const float heightLimit = static_cast<float>(rect.bottom - 1);
  Vec3 force[BALL_SLOTS];

  for (int i = 0; i < BALL_SLOTS; ++i) {
    const float mass = radius[i];
    // Each pair once, in its lower slot's turn: both balls still at their start positions.
    for (int j = i + 1; j < BALL_SLOTS; ++j) {
      const Vec3 d = pos[i] - pos[j];
      force[i] += (-d) * springConstant;
      force[j] += d * springConstant;
    }
    force[i] += (gravity * mass) * gravityScale;
    const Vec3 p = pos[i];
    force[i] += Vec3(edgePush(p.x, mass), edgePush(p.y, mass), 0.0f);
    force[i] += Vec3(-edgePush(width - p.x, mass), -edgePush(height - p.y, mass), 0.0f);

    // Damped position Verlet: the velocity is implicit in the previous position.
    const Vec3 a = force[i] * (1.0f / mass);
    const Vec3 v = p - prevPos[i];
    prevPos[i] = p;
    Vec3 next = p + (v * dampingFactor + a * dt * dt);

    // Left, right and bottom wrap with no velocity along that axis; the top holds.
    Vec3& previous = prevPos[i];
    if (next.x > widthLimit) {
      next.x = next.x - width;
      previous.x = next.x;
    }
    if (next.x < 0.0f) {
      next.x = next.x + width;
      previous.x = next.x;
    }
    if (next.y > heightLimit) next.y = previous.y;
    if (next.y < 0.0f) {
      next.y = next.y + height;
      previous.y = next.y;
    }
    // Still outside after the rules: back inside, at rest along that axis as after a wrap.
    const float insideX = intoWindow(next.x, width);
    const float insideY = intoWindow(next.y, height);
    if (insideX != next.x) previous.x = next.x = insideX;
    if (insideY != next.y) previous.y = next.y = insideY;
    pos[i] = next;
  }
}

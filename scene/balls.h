// The twenty balls: their state as parallel arrays, their random creation and the physics
// step (pair springs, gravity, edge repulsion, damped position Verlet, edge wrap and hold).
#pragma once

#include <cmath>

struct Vec3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;

  Vec3() = default;
  Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
  Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
  float length() const { return std::sqrt(x * x + y * y + z * z); }
};

constexpr int BALL_SLOTS = 20;

// One scene's balls. Contiguous: pos and color go to the shader as vec3 arrays of 60 floats.
struct BallSet {
  Vec3 pos[BALL_SLOTS];       // current centre, pixels, origin bottom-left
  Vec3 prevPos[BALL_SLOTS];   // centre one step earlier
  Vec3 velocity[BALL_SLOTS];  // start velocity, used once by initBalls
  Vec3 color[BALL_SLOTS];     // red, green, blue in 0..1
  float radius[BALL_SLOTS] = {};  // radius in pixels, also the ball's mass
  float springConstant = 0.0f;    // physics parameters derived from the settings at the start
  float dampingFactor = 0.0f;
};

// The Windows saver's one scene's balls, under their old names (scene/saver_scene.cpp).
extern Vec3 (&ballPos)[BALL_SLOTS];
extern Vec3 (&ballPrevPos)[BALL_SLOTS];
extern Vec3 (&ballVelocity)[BALL_SLOTS];
extern Vec3 (&ballColor)[BALL_SLOTS];
extern float (&ballRadius)[BALL_SLOTS];
extern float& springConstant;
extern float& dampingFactor;

struct Scene;

// springConstant and dampingFactor from the springK and damping settings.
float springConstantFor(unsigned springK);
float dampingFactorFor(unsigned damping);

// Creates all 20 balls of scene from 120 of its random draws (its size and radius settings).
void initBalls(Scene& scene);
void initBalls();  // the saver's scene

// Moves all 20 balls of scene by one step of dt (portable physics only, no upload).
void moveBalls(Scene& scene, float dt);
void moveBalls(float dt);  // the saver's scene

// Hue in degrees, saturation and lightness to red, green and blue in 0..1.
Vec3 hslToRgb(float hue, float saturation, float lightness);

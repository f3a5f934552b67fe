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

// Contiguous: ballPos and ballColor go to the shader as vec3 arrays of 60 floats each.
extern Vec3 ballPos[BALL_SLOTS];       // current centre, pixels, origin bottom-left
extern Vec3 ballPrevPos[BALL_SLOTS];   // centre one step earlier
extern Vec3 ballVelocity[BALL_SLOTS];  // start velocity, used once by initBalls
extern Vec3 ballColor[BALL_SLOTS];     // red, green, blue in 0..1
extern float ballRadius[BALL_SLOTS];   // radius in pixels, also the ball's mass

// Physics parameters derived from the settings by initScene.
extern float springConstant;
extern float dampingFactor;

// springConstant and dampingFactor from the springK and damping settings.
float springConstantFor(unsigned springK);
float dampingFactorFor(unsigned damping);

// Creates all 20 balls from 120 random draws (clientRect, minRadius, maxRadius).
void initBalls();

// Moves all 20 balls by one step of dt (portable physics only, no upload).
void moveBalls(float dt);

// Hue in degrees, saturation and lightness to red, green and blue in 0..1.
Vec3 hslToRgb(float hue, float saturation, float lightness);

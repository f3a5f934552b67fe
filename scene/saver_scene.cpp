// The Windows saver's one scene, under the names and the argument-free functions its code and
// tests have always used.
#include "scene/scene.h"

Scene saverScene;

SaverSettings& saverSettings = saverScene.settings;
ClientRect& clientRect = saverScene.rect;
uint32_t& lastTickTime = saverScene.clock.lastTickTime;
float& stepRemainder = saverScene.clock.stepRemainder;
Vec3 (&ballPos)[BALL_SLOTS] = saverScene.balls.pos;
Vec3 (&ballPrevPos)[BALL_SLOTS] = saverScene.balls.prevPos;
Vec3 (&ballVelocity)[BALL_SLOTS] = saverScene.balls.velocity;
Vec3 (&ballColor)[BALL_SLOTS] = saverScene.balls.color;
float (&ballRadius)[BALL_SLOTS] = saverScene.balls.radius;
float& springConstant = saverScene.balls.springConstant;
float& dampingFactor = saverScene.balls.dampingFactor;

void seedRandom(uint32_t seed) { seedRandom(saverScene.random, seed); }
int nextRandom() { return nextRandom(saverScene.random); }
void initBalls() { initBalls(saverScene); }
void moveBalls(float dt) { moveBalls(saverScene, dt); }
bool takeTickReading(uint32_t now, float& elapsed) {
  return takeTickReading(saverScene.clock, now, elapsed);
}
void forgetTickReading() { forgetTickReading(saverScene.clock); }

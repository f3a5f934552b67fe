// The settings record's conversion to and from the ten stored numbers (portable; the
// registry access is in settings_store_win.cpp).
#include "scene/settings.h"

void settingsToNumbers(const SaverSettings& s, uint32_t (&n)[settingCount]) {
  n[0] = s.nBalls;
  n[1] = s.motionBlur ? 1 : 0;
  n[2] = s.feather ? 1 : 0;
  n[3] = s.contour ? 1 : 0;
  n[4] = s.blobbiness;
  n[5] = s.maxRadius;
  n[6] = s.minRadius;
  n[7] = s.springK;
  n[8] = s.damping;
  n[9] = static_cast<uint32_t>(s.func_type);
}

SaverSettings settingsFromNumbers(const uint32_t (&n)[settingCount]) {
  SaverSettings s;
  s.nBalls = n[0];
  s.motionBlur = n[1] != 0;
  s.feather = n[2] != 0;
  s.contour = n[3] != 0;
  s.blobbiness = n[4];
  s.maxRadius = n[5];
  s.minRadius = n[6];
  s.springK = n[7];
  s.damping = n[8];
  s.func_type = static_cast<int32_t>(n[9]);
  return s;
}

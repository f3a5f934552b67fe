// The quality names and auto's decision from measured pass times.
#include "render/field/draw_quality.h"

#include <algorithm>
#include <cstring>

bool drawQualityFromName(const char* name, DrawQuality& quality) {
  for (int i = 0; i < 3; ++i)
    if (name && std::strcmp(name, drawQualityNames[i]) == 0) {
      quality = static_cast<DrawQuality>(i);
      return true;
    }
  return false;
}

const char* drawPathName(DrawPath path) { return path == DrawPath::fast ? "fast" : "exact"; }

bool notePathTrial(PathTrial& trial, double milliseconds, bool& tooSlow) {
  const int measured = trial.seen++ - trialWarmupFrames;
  if (measured < 0) return false;
  trial.milliseconds[measured] = milliseconds;
  if (measured + 1 < trialMeasuredFrames) return false;
  // The middle one: a frame held up by something else neither tips the choice nor hides it.
  double sorted[trialMeasuredFrames];
  std::copy(trial.milliseconds, trial.milliseconds + trialMeasuredFrames, sorted);
  std::nth_element(sorted, sorted + trialMeasuredFrames / 2, sorted + trialMeasuredFrames);
  tooSlow = sorted[trialMeasuredFrames / 2] > exactBudgetMilliseconds;
  return true;
}

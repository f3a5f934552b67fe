// Which drawing the Linux programs and the page use: every pixel summing every ball (exact),
// the coarse field (fast), or, by default, whichever the machine needs: auto tries exact for
// a few frames and keeps it where its pass takes a small share of a frame, else fast. GL-free,
// so the rule is unit-tested natively.
#pragma once

// What the user asks for, in the order of drawQualityNames.
enum class DrawQuality { automatic, exact, fast };
constexpr const char* drawQualityNames[3] = {"auto", "exact", "fast"};
// The names as the refusal of a bad one lists them.
constexpr const char* drawQualityChoices = "auto, exact or fast";

// True, with quality set, when name is one of drawQualityNames.
bool drawQualityFromName(const char* name, DrawQuality& quality);

// What draws.
enum class DrawPath { exact, fast };

// "exact" or "fast".
const char* drawPathName(DrawPath path);

// auto's trial: frames left to warm up (shader compiles, first uploads) before the measured
// ones; exact is kept when the middle of the measured passes takes at most the budget, a
// quarter of a frame at 100 frames a second.
constexpr int trialWarmupFrames = 2;
constexpr int trialMeasuredFrames = 5;
constexpr double exactBudgetMilliseconds = 2.5;

struct PathTrial {
  int seen = 0;  // frames noted since the trial began
  double milliseconds[trialMeasuredFrames] = {};
};

// Notes one exact pass's time. True once the trial has decided, with tooSlow set when the
// fast path should draw from now on.
bool notePathTrial(PathTrial& trial, double milliseconds, bool& tooSlow);

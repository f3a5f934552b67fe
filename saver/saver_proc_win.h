// Windows: the program's own saver procedure: window creation starts the whole scene (GL
// context, probe, settings, shaders, balls, ring) and the 10 ms frame timer; destruction stops
// the timer and releases the scene; every other message goes to the host's default handling.
#pragma once

#include <windows.h>

#include <exception>

#include "saver/frame_tick.h"

// Window procedure of the scene, called by HostWindowProc.
LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Callback of frame timer 5001: measures, steps the simulation, draws one frame, swaps.
void CALLBACK FrameTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD systemTime);

// A failure raised while the scene started (a shader that did not build, a GL without the
// shader entry points). Window creation cannot carry an exception through the platform's
// message dispatch, so creation fails instead and the host rethrows this afterwards.
extern std::exception_ptr sceneStartFailure;

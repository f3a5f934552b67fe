// The saver window: class, full-screen or preview window, message loop, and the host's
// window procedure with the dismiss rules.
#pragma once

#include <windows.h>

// Creates the one saver window (full-screen without a parent, preview inside parent) and
// runs the message loop until the window is destroyed. Result: the quit code, or 0.
int RunSaverWindow(HWND parent);

// The window class's procedure: host concerns, then SceneWindowProc.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The host's default handling, where the dismiss rules and the password gate live.
LRESULT HostDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
